#include "tests/app/StamporaFixture.h"

#include "app/Startup.h"
#include "framework/core/Exceptions.h"
#include "mail/FolderitemExtensions.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        cardtest::UseBuiltBundle();
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
        carbon::SetUserRecordForTests(std::nullopt);
        carbon::InstallCarbonLibrary();
    }
    App app;
};

} // namespace

TEST_F(StartupTest, ModuleObjectsAreReleasedInTheirOrderWithTheirEffects) {
    testsupport::ScratchDir dir;
    fw::SpecialFolder::SetHomeForTests(dir.Path());
    fw::FolderItem::FromPath(dir.File("Documents"))->CreateAsFolder();
    _Startup();
    // The application and its window share the one menu bar.
    EXPECT_TRUE(App::Instance()->MenuBar == MenuBar1::Instance() && Stampora::Instance()->MenuBar == MenuBar1::Instance());
    App::Instance()->Event_Open();
    (void)FolderitemExtensions::ResourcesFolder();
    ASSERT_TRUE(CleanOnQuit::RootFolder);
    const std::string root = CleanOnQuit::RootFolder->AbsolutePath();
    ASSERT_TRUE(fw::FolderItem::FromPath(root)->Exists());
    fw::Runtime::ReleaseFrameworkLists();

    std::vector<std::string> order;
    std::vector<bool> rootExisted, jpegRegistered, pngRegistered;
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
    EXPECT_TRUE(jpegRegistered[4] && pngRegistered[5]);
    EXPECT_FALSE(jpegRegistered[5] || pngRegistered[6]);
    EXPECT_EQ(fw::FileTypeRegistry::Count(), 0u);
}

// The program itself, stopped by a signal once it runs: it still ends in order, and
// the clean-up folder goes with the rest of shut-down; also in the middle of a
// picture that its helper would take seconds over, which it then ends within 1 s. A
// signal that was ignored when it started, as nohup leaves SIGHUP and a background job
// SIGINT, stays ignored. A FIFO where the Documents folder's list of hidden names or
// the user's list of folders belongs neither holds up the start nor the end.
enum class Fifo { None, HiddenList, UserFolderList };
struct Stop {
    int signal;
    bool ignored;
    bool midDecode;
    Fifo fifo = Fifo::None;
};
class EndBySignal : public ::testing::TestWithParam<Stop> {};

// The helper process the program has started, if any.
bool HasChild(qint64 pid) {
    return !testsupport::ReadFile("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children").empty();
}

TEST_P(EndBySignal, RunsTheShutDownAndRemovesTheCleanUpFolder) {
    const Stop c = GetParam();
    testsupport::ScratchDir home;
    const QString root = QString::fromStdString(home.File("Documents/") + CleanOnQuit::kRootName);
    QDir().mkpath(QString::fromStdString(home.File("Documents")));
    const std::string fifo = c.fifo == Fifo::HiddenList ? home.File("Documents/.hidden")
                             : c.fifo == Fifo::UserFolderList ? home.File(".config/user-dirs.dirs") : std::string();
    QDir().mkpath(QString::fromStdString(home.File(".config")));
    if (!fifo.empty()) { ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0); }
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(home.Path()));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(home.File(".config")));
    QStringList photo;
    if (c.midDecode) photo << QString::fromStdString(home.Write("tiles.pict", cardtest::PictTiles(400)));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setChildProcessModifier([c] { std::signal(c.signal, c.ignored ? SIG_IGN : SIG_DFL); });
    program.start(STAMPORA_BUNDLE "/bin/stampora", photo);
    QDeadlineTimer deadline(30000);
    while (!(QFileInfo::exists(root) && (!c.midDecode || HasChild(program.processId()))) && !deadline.hasExpired())
        QThread::msleep(10);
    ASSERT_TRUE(QFileInfo::exists(root));

    const auto pid = static_cast<pid_t>(program.processId());
    ASSERT_GT(pid, 0);   // 0 would signal the whole test run
    ::kill(pid, c.signal);
    if (c.ignored) {
        EXPECT_FALSE(program.waitForFinished(500)) << "ended by a signal it was started ignoring";
        if (program.state() == QProcess::Running) ::kill(pid, SIGTERM);
    }
    QElapsedTimer ending;
    ending.start();
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_TRUE(!c.midDecode || ending.elapsed() < 1000) << ending.elapsed() << " ms";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_FALSE(QFileInfo::exists(root));
    if (!fifo.empty()) { EXPECT_TRUE(fs::is_fifo(fifo)); }
}

INSTANTIATE_TEST_SUITE_P(Signals, EndBySignal,
                         ::testing::Values(Stop{SIGTERM, false, false}, Stop{SIGINT, false, false}, Stop{SIGHUP, false, false},
                                           Stop{SIGHUP, true, false}, Stop{SIGINT, true, false}, Stop{SIGTERM, false, true},
                                           Stop{SIGTERM, false, false, Fifo::HiddenList},
                                           Stop{SIGTERM, false, false, Fifo::UserFolderList}),
                         [](const auto& test) {
                             return std::string(sigabbrev_np(test.param.signal)) + (test.param.ignored ? "Ignored" : "") +
                                    (test.param.midDecode ? "MidDecode" : "") +
                                    (test.param.fifo == Fifo::HiddenList       ? "WithAFifoHiddenList"
                                     : test.param.fifo == Fifo::UserFolderList ? "WithAFifoUserFolderList"
                                                                               : "");
                         });

// --- the image file types

TEST_F(StartupTest, EachImageFileExtensionIsAdmittedWhateverItsCaseAndOnlyByItsOwnType) {
    IMageFiles::_Initialize();
    const std::string all = IMageFiles::All(), jpeg = IMageFiles::Jpeg()->ToString();
    struct Row { std::string filter; const char* file; bool admitted; };
    const Row rows[] = {
        {all, "a.jfx", true},    {all, "b.dib", true},       {all, "c.JPE", true},      {all, "d.jfif", true},
        {all, "e.Jpeg", true},   {all, "f.pct", true},       {all, "g.jp2", true},      {all, "h.TIFF", true},
        {all, "i.gif", true},    {all, "j.png", true},       {all, "k.pic", true},      {all, "a.webp", false},
        {all, "b.txt", false},   {all, "noextension", false}, {all, "c.jpg.txt", false}, {all, "d.j2k", false},
        {"image/tiff;", "p.jfx", true}, {"image/jpeg;", "p.jfx", false}, {"image/x-bmp;", "p.dib", true},
        {jpeg, "p.JPE", true},   {jpeg, "p.png", false},
    };
    for (const Row& row : rows) EXPECT_EQ(fw::FileTypeRegistry::Admits(row.filter, row.file), row.admitted) << row.file;
    // The open dialog lists files by these patterns, and Linux file names keep their case.
    const auto patterns = fw::FileTypeRegistry::Patterns(all);
    for (const char* name : {"photo.jpg", "PHOTO.JPG", "scan.TIFF", "old.pct"})
        EXPECT_TRUE(std::any_of(patterns.begin(), patterns.end(), [name](const std::string& p) {
            return QRegularExpression::fromWildcard(QString::fromStdString(p), Qt::CaseSensitive).match(name).hasMatch();
        })) << name;
}

// --- the application object

// The full name is parsed from the user database's comment field as systems fill it.
TEST_F(StartupTest, NamesComeWholeFromTheUserRecordAndEveryCopyIsGivenBack) {
    // U+1F600 and U+1D11E take two UTF-16 units each; the buffer must hold all units.
    const std::string wide = "Zo\xC3\xAB \xF0\x9F\x98\x80 \xF0\x9D\x84\x9E", accented = "Jo\xC3\xA3o \xC3\x91\xC3\xBA\xC3\xB1" "ez";
    struct Row { std::optional<std::string> shortName, gecos; std::string wantShort, wantFull; };
    const Row rows[] = {{"ana", "Ana Lima,,,", "ana", "Ana Lima"}, {"jdoe", "", "jdoe", ""}, {"x", ",,,", "x", ""},
                        {std::nullopt, std::nullopt, "", ""}, {"zoe", wide + ",Room 1,555,", "zoe", wide},
                        {"joao", accented + ",Sala 2", "joao", accented}};
    for (const Row& row : rows) {
        carbon::SetUserRecordForTests(carbon::UserRecord{row.shortName, carbon::FullNameFromGecos(row.gecos ? row.gecos->c_str() : nullptr)});
        EXPECT_EQ(app.UserName(true), row.wantShort);
        EXPECT_EQ(app.UserName(false), row.wantFull);
        EXPECT_EQ(carbon::LiveStringCount(), 0) << row.wantFull;
    }
    // A missing system function raises, naming it, and still gives every copy back.
    fw::System::UnregisterLibraryFunction("Carbon", "CFStringGetCString");
    try {
        (void)app.UserName(false);
        ADD_FAILURE() << "expected FunctionNotFoundException";
    } catch (const fw::FunctionNotFoundException& e) {
        EXPECT_EQ(e.functionName + "/" + e.libraryName, "CFStringGetCString/Carbon");
    }
    EXPECT_EQ(carbon::LiveStringCount(), 0);
    carbon::InstallCarbonLibrary();
    carbon::SetUserRecordForTests(std::nullopt);
    EXPECT_FALSE(app.UserName(true).empty()) << "the real user database gives the login name";
}

TEST_F(StartupTest, BuildDateIsANewDateOfTheBuildMomentOnEveryCall) {
    auto first = BuildDate(app), second = BuildDate(app);
    ASSERT_TRUE(first && second);
    EXPECT_DOUBLE_EQ(first->TotalSeconds(), 3315485418.0);
    EXPECT_EQ(std::tuple(first->Year(), first->Month(), first->Day()), std::tuple(2009, 1, 22));
    EXPECT_EQ(std::tuple(first->Hour(), first->Minute(), first->Second()), std::tuple(16, 10, 18));
    first->SetTotalSeconds(0);
    EXPECT_DOUBLE_EQ(second->TotalSeconds(), 3315485418.0);
}
