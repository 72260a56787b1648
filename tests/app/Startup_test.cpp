#include "app/App.h"
#include "app/IMageFiles.h"
#include "app/MenuBar1.h"
#include "app/SharedPictureEffects.h"
#include "app/Stampora.h"
#include "app/Startup.h"
#include "framework/ExecutableFile.h"
#include "framework/Runtime.h"
#include "framework/SpecialFolder.h"
#include "framework/UserInteraction.h"
#include "mail/CleanOnQuit.h"
#include "mail/FolderitemExtensions.h"
#include "platform/carbon/CarbonLibrary.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <csignal>

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        fw::SetExecutableFileForTests(STAMPORA_BUNDLE "/bin/stampora");
        carbon::InstallCarbonLibrary();
        fw::UserInteraction::Install(std::make_shared<fw::ScriptedUserInteraction>());
        IMageFiles::Release();
    }
    void TearDown() override {
        SetReleaseObserver(nullptr);
        fw::Runtime::ReleaseFrameworkLists();
        ReleaseModuleObjects();
        fw::Runtime::RuntimeRegisterAppObject(nullptr);
        fw::UserInteraction::Install(nullptr);
        IMageFiles::_Initialize();
    }
};

} // namespace

TEST_F(StartupTest, ProgramClassesAreRegisteredAfterTheFrameworksInTheirOrder) {
    RegisterClasses();
    const auto& classes = fw::Runtime::RegisteredClasses();
    const std::vector<std::string> own = {"App", "MenuBar1", "Stampora", "ifkFontComboBox",
                                          "ifkFontComboBoxMenu", "ifkFontComboBoxMenu.CloseTimer",
                                          "CleanOnQuit.DestructionManager", "ifkButton", "ifkColorWell",
                                          "ifkAboutBox"};
    ASSERT_GE(classes.size(), own.size() + 1);
    EXPECT_TRUE(std::equal(own.begin(), own.end(), classes.end() - static_cast<long>(own.size())));
    EXPECT_NE(std::find(classes.begin(), classes.end() - static_cast<long>(own.size()), "Window"),
              classes.end() - static_cast<long>(own.size()));
}

TEST_F(StartupTest, StartupMakesTypesAppMenuBarAndWindowSharingOneBar) {
    _Startup();
    EXPECT_EQ(fw::FileTypeRegistry::Count(), 7u);
    auto app = App::Instance();
    auto window = Stampora::Instance();
    ASSERT_TRUE(app && window);
    EXPECT_EQ(app->MenuBar, window->MenuBar);
    EXPECT_EQ(app->MenuBar, MenuBar1::Instance());
    EXPECT_TRUE(window->IsOpen());
}

TEST_F(StartupTest, OpenDocumentGoesToTheOpenWindow) {
    _Startup();
    testsupport::ScratchDir dir;
    QImage photo(100, 100, QImage::Format_RGB32);
    photo.fill(Qt::blue);
    const std::string path = dir.File("photo.png");
    ASSERT_TRUE(photo.save(QString::fromStdString(path)));
    App::Instance()->Event_OpenDocument(fw::FolderItem::FromPath(path));
    auto window = Stampora::Instance();
    ASSERT_TRUE(window->thePicture);
    // A 100 x 100 photo is stored cover-scaled, 420 x 420.
    EXPECT_EQ(window->thePicture->Width(), 420);
}

TEST_F(StartupTest, ModuleObjectsAreReleasedInTheirOrderWithTheirEffects) {
    testsupport::ScratchDir dir;
    fw::SpecialFolder::SetHomeForTests(dir.Path());
    fw::FolderItem::FromPath(dir.File("Documents"))->CreateAsFolder();
    _Startup();
    App::Instance()->Event_Open();
    (void)FolderitemExtensions::ResourcesFolder();
    ASSERT_TRUE(CleanOnQuit::RootFolder);
    const std::string root = CleanOnQuit::RootFolder->AbsolutePath();
    ASSERT_TRUE(fw::FolderItem::FromPath(root)->Exists());
    fw::Runtime::ReleaseFrameworkLists();

    std::vector<std::string> order;
    std::vector<bool> rootExisted;
    std::vector<bool> jpegRegistered;
    std::vector<bool> pngRegistered;
    SetReleaseObserver([&](const std::string& name) {
        order.push_back(name);
        rootExisted.push_back(fw::FolderItem::FromPath(root)->Exists());
        jpegRegistered.push_back(fw::FileTypeRegistry::IsRegistered("image/jpeg"));
        pngRegistered.push_back(fw::FileTypeRegistry::IsRegistered("image/png"));
    });
    ReleaseModuleObjects();
    fw::SpecialFolder::SetHomeForTests("");

    const std::vector<std::string> expected = {
        "MenuBar1", "CleanOnQuit.RootFolder", "CleanOnQuit.myDestructionManager",
        "FolderitemExtensions.mResourcesFolder", "SharedPictureEffects.rotKing", "IMageFiles.pJpeg",
        "IMageFiles.pPng", "IMageFiles.pImageTiff", "IMageFiles.pImagePict", "IMageFiles.pImageGif",
        "IMageFiles.pImageXBmp", "IMageFiles.pImageJp2", "InterfaceKitSupport.QDRefs"};
    ASSERT_EQ(order, expected);
    EXPECT_FALSE(MenuBar1::_implicitInstance);
    // Releasing the root keeps the folder; releasing the manager deletes it.
    EXPECT_TRUE(rootExisted[1]);
    EXPECT_FALSE(rootExisted[2]);
    // The file types leave the registry one by one, JPEG first.
    EXPECT_TRUE(jpegRegistered[4]);
    EXPECT_FALSE(jpegRegistered[5]);
    EXPECT_TRUE(pngRegistered[5]);
    EXPECT_FALSE(pngRegistered[6]);
    EXPECT_EQ(fw::FileTypeRegistry::Count(), 0u);
}

// The program itself, stopped by a signal once it runs: it still ends in order, and
// the clean-up folder goes with the rest of shut-down.
class EndBySignal : public ::testing::TestWithParam<int> {};

TEST_P(EndBySignal, RunsTheShutDownAndRemovesTheCleanUpFolder) {
    testsupport::ScratchDir home;
    const QString root = QString::fromStdString(home.File("Documents/") + CleanOnQuit::kRootName);
    QDir().mkpath(QString::fromStdString(home.File("Documents")));
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(home.Path()));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(home.File(".config")));
    QProcess program;
    program.setProcessEnvironment(environment);
    // Started from a desktop, not as a background job that ignores SIGINT.
    program.setChildProcessModifier([signal = GetParam()] { std::signal(signal, SIG_DFL); });
    program.start(STAMPORA_BUNDLE "/bin/stampora", {});
    for (QDeadlineTimer deadline(30000); !QFileInfo::exists(root) && !deadline.hasExpired();)
        QThread::msleep(20);
    ASSERT_TRUE(QFileInfo::exists(root));

    ::kill(static_cast<pid_t>(program.processId()), GetParam());
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_FALSE(QFileInfo::exists(root));
}

INSTANTIATE_TEST_SUITE_P(Signals, EndBySignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });
