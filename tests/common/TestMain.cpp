#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QTemporaryDir>

#include <cstdlib>

// Every test program runs headless, in a home of its own, with a fixed font so that
// text metrics do not depend on the machine.
int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir home(QDir::tempPath() + "/stampora-home-XXXXXX");
    const QByteArray homePath = home.path().toUtf8();
    setenv("HOME", homePath.constData(), 1);
    setenv("XDG_CONFIG_HOME", (homePath + "/.config").constData(), 1);
    setenv("XDG_DATA_HOME", (homePath + "/.local/share").constData(), 1);
    setenv("XDG_CACHE_HOME", (homePath + "/.cache").constData(), 1);
    QDir(home.path()).mkpath("Documents");
    QDir(home.path()).mkpath("Desktop");
    setenv("XDG_DOCUMENTS_DIR", (homePath + "/Documents").constData(), 1);
    setenv("XDG_DESKTOP_DIR", (homePath + "/Desktop").constData(), 1);

    QApplication app(argc, argv);
    QApplication::setFont(QFont("DejaVu Sans", 12));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
