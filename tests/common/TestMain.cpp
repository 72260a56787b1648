#include "tests/common/TestSupport.h"

#include "framework/graphics/DecodeHelper.h"

#include <QApplication>
#include <QDir>
#include <QFont>

// Every test program runs headless, in a home of its own, with a fixed font and
// locale so that text metrics, dates and pictures do not depend on the machine.
int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    QTemporaryDir home(QDir::tempPath() + "/stampora-home-XXXXXX");
    testsupport::UsePrivateHome(home.path().toStdString());

    QApplication app(argc, argv);
    fw::DecodeHelper::SetProgram(STAMPORA_BUNDLE "/bin/stampora-decode");
    QApplication::setFont(QFont("DejaVu Sans", 12));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
