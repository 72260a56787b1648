#include "framework/core/BinaryStream.h"
#include "framework/core/FileNames.h"
#include "framework/core/FolderItem.h"
#include "framework/core/RegularFile.h"
#include "framework/core/Shell.h"
#include "framework/core/SpecialFolder.h"
#include "framework/core/Volume.h"

#include "tests/common/TestSupport.h"

#include <QFile>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

fw::FolderItemRef Item(const std::string& path) { return fw::FolderItem::FromPath(path); }

} // namespace

// Hiding lists the name in the parent's .hidden file, without renaming; showing and
// deleting take it off again, and the list goes when it empties.
TEST(FolderItemVisible, FollowsTheParentsHiddenList) {
    ScratchDir dir;
    dir.Write(".hidden", "other\n");
    fs::create_directory(dir.File("Root"));
    dir.Write("b", "");
    dir.Write("other", "");
    ASSERT_TRUE(Item(dir.File("Root"))->Visible());
    Item(dir.File("Root"))->SetVisible(false);
    Item(dir.File("Root"))->SetVisible(false);
    Item(dir.File("b"))->SetVisible(false);
    EXPECT_TRUE(!Item(dir.File("Root"))->Visible() && !Item(dir.File("other"))->Visible());
    EXPECT_TRUE(fs::is_directory(dir.File("Root")));
    EXPECT_EQ(ReadFile(dir.File(".hidden")), "other\nRoot\nb\n");

    fs::create_directory(dir.File("Full"));
    dir.Write("Full/file", "x");
    Item(dir.File("Full"))->SetVisible(false);
    EXPECT_FALSE(Item(dir.File("Full"))->Delete());   // a failed delete keeps the entry
    EXPECT_TRUE(Item(dir.File("Root"))->Delete());
    Item(dir.File("b"))->SetVisible(true);
    EXPECT_TRUE(Item(dir.File("b"))->Visible());
    EXPECT_EQ(ReadFile(dir.File(".hidden")), "other\nFull\n");
    for (const char* name : {"other", "Full"}) Item(dir.File(name))->SetVisible(true);
    EXPECT_FALSE(fs::exists(dir.File(".hidden")));
}

TEST(FolderItemVisible, DotNamesMissingItemsAndALinkedListAreLeftAlone) {
    ScratchDir dir, elsewhere;
    dir.Write(".config", "");
    Item(dir.File(".config"))->SetVisible(true);
    EXPECT_TRUE(!Item(dir.File(".config"))->Visible() && fs::exists(dir.File(".config")));
    Item(dir.File("missing"))->SetVisible(false);
    EXPECT_FALSE(fs::exists(dir.File(".hidden")));

    const std::string outside = elsewhere.Write("victim", "keep\n");
    fs::create_symlink(outside, dir.File(".hidden"));
    dir.Write("item", "");
    Item(dir.File("item"))->SetVisible(false);
    EXPECT_TRUE(ReadFile(outside) == "keep\n" && fs::is_symlink(dir.File(".hidden")));
    EXPECT_TRUE(Item(dir.File("item"))->Visible());

    // A FIFO in the list's place is never opened for a wait on a writer, nor replaced.
    ScratchDir fifoDir;
    ASSERT_EQ(::mkfifo(fifoDir.File(".hidden").c_str(), 0600), 0);
    fifoDir.Write("item", "");
    EXPECT_TRUE(Item(fifoDir.File("item"))->Visible());
    Item(fifoDir.File("item"))->SetVisible(false);
    Item(fifoDir.File("item"))->SetVisible(true);
    EXPECT_TRUE(fs::is_fifo(fifoDir.File(".hidden")));
}

// Files named by someone else are read only when they are regular files, and opening
// one never waits: a FIFO without a writer, a device and a folder give nothing.
TEST(RegularFile, ReadsOnlyRegularFilesWithinTheirBoundWithoutBlocking) {
    ScratchDir dir;
    const std::string text = dir.Write("text", "key=value\n");
    fs::create_symlink(text, dir.File("link"));
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    using Links = fw::RegularFile::Links;
    struct Row {
        std::string path;
        Links links;
        int64_t bound;
        std::optional<std::string> read;
        int error;   // errno from Open; 0 when it opens
    };
    const Row rows[] = {
        {text, Links::Refuse, 100, "key=value\n", 0},
        {text, Links::Refuse, 10, "key=value\n", 0},
        {text, Links::Refuse, 9, std::nullopt, 0},
        {dir.File("link"), Links::Follow, 100, "key=value\n", 0},
        {dir.File("link"), Links::Refuse, 100, std::nullopt, ELOOP},
        {dir.File("fifo"), Links::Follow, 100, std::nullopt, EINVAL},
        {"/dev/zero", Links::Follow, 100, std::nullopt, EINVAL},
        {dir.Path(), Links::Follow, 100, std::nullopt, EINVAL},
        {dir.File("missing"), Links::Follow, 100, std::nullopt, ENOENT},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(fw::RegularFile::Read(row.path, row.bound, row.links), row.read) << row.path;
        errno = 0;
        const int fd = fw::RegularFile::Open(row.path, row.links);
        EXPECT_EQ(fd < 0 ? errno : 0, row.error) << row.path;
        if (fd >= 0) ::close(fd);
    }
}

// A new binary file holds exactly the bytes written, whatever stood in its place; a
// link there is replaced, never written through.
TEST(FolderItemCreateBinaryFile, ReplacesWhateverWasThereWithExactlyTheBytes) {
    ScratchDir dir, elsewhere;
    const std::string target = elsewhere.Write("target", "precious");
    const std::pair<const char*, std::function<void(const std::string&)>> rows[] = {
        {"nothing", [](auto&) {}},
        {"longer old content", [&](auto& path) { dir.Write(fs::path(path).filename(), "a much longer old content"); }},
        {"link to a file", [&](auto& path) { fs::create_symlink(target, path); }},
        {"dangling link", [&](auto& path) { fs::create_symlink(elsewhere.File("not-there"), path); }},
    };
    for (const auto& [why, prepare] : rows) {
        const std::string path = dir.File(std::string("f-") + why);
        prepare(path);
        auto stream = Item(path)->CreateBinaryFile("????");
        ASSERT_NE(stream, nullptr) << why;
        stream->Write(std::string("a\rb\0c", 5));
        stream->Write("");
        stream->Close();
        EXPECT_FALSE(stream->WriteError() || fs::is_symlink(path)) << why;
        EXPECT_EQ(ReadFile(path), std::string("a\rb\0c", 5)) << why;
        stream->Write("lost");   // after Close: reported, not written
        EXPECT_TRUE(stream->WriteError() && ReadFile(path).size() == 5u) << why;
    }
    EXPECT_TRUE(ReadFile(target) == "precious" && !fs::exists(elsewhere.File("not-there")));
    fs::create_directory(dir.File("folder"));
    for (const char* name : {"folder", "no/such/file"})
        EXPECT_EQ(Item(dir.File(name))->CreateBinaryFile("????"), nullptr) << name;
    EXPECT_TRUE(fs::is_directory(dir.File("folder")));
}

// --- the special folders

// The private temporary folder goes in the runtime folder, or in TMPDIR when the
// runtime folder is unsafe; it is the user's alone whatever was there before.
TEST(SpecialFolderTemporary, IsAPrivateFolderInTheFirstSafePlace) {
    const std::string name = "stampora-" + std::to_string(::getuid());
    const auto mode = [](const auto& p) { return unsigned(fs::symlink_status(p).permissions()); };
    const struct {
        const char* why;
        std::function<void(const ScratchDir& runtime, const ScratchDir& elsewhere)> prepare;
        bool inRuntime;
    } rows[] = {
        {"fresh", [](auto&, auto&) {}, true},
        {"existing folder open to others", [&](auto& runtime, auto&) {
             fs::create_directory(runtime.File(name));
             ::chmod(runtime.File(name).c_str(), 0777);
         }, true},
        {"link under the name", [&](auto& runtime, auto& elsewhere) {
             fs::create_directory_symlink(elsewhere.Path(), runtime.File(name));
         }, false},
        {"parent others can write, no sticky bit", [](auto& runtime, auto&) { ::chmod(runtime.Path().c_str(), 0777); }, false},
    };
    std::map<std::string, std::optional<std::string>> saved;
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"})
        saved[variable] = std::getenv(variable) ? std::optional<std::string>(std::getenv(variable)) : std::nullopt;
    for (const auto& row : rows) {
        ScratchDir runtime, tmp, elsewhere;
        ::chmod(elsewhere.Path().c_str(), 0755);
        row.prepare(runtime, elsewhere);
        setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        setenv("TMPDIR", tmp.Path().c_str(), 1);
        const auto temporary = fw::SpecialFolder::Temporary();
        ASSERT_NE(temporary, nullptr) << row.why;
        const std::string path = (row.inRuntime ? runtime : tmp).File(name);
        EXPECT_EQ(temporary->AbsolutePath(), path) << row.why;
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(path))) << row.why;
        EXPECT_EQ(std::pair(mode(path), mode(elsewhere.Path())), std::pair(0700u, 0755u)) << row.why;
        EXPECT_EQ(fs::is_directory(fs::symlink_status(runtime.File(name))), row.inRuntime) << row.why;
    }
    for (const auto& [variable, value] : saved) value ? setenv(variable.c_str(), value->c_str(), 1) : unsetenv(variable.c_str());
}

TEST(SpecialFolder, DocumentsIsMadeInTheHomeBesideTheDesktopAndOnlyTheBootVolumeExists) {
    ScratchDir home;
    fw::SpecialFolder::SetHomeForTests(home.Path());
    const auto documents = fw::SpecialFolder::Documents();
    EXPECT_EQ(fw::SpecialFolder::Desktop()->AbsolutePath(), home.File("Desktop"));
    fw::SpecialFolder::SetHomeForTests("");
    ASSERT_TRUE(documents);
    EXPECT_TRUE(documents->AbsolutePath() == home.File("Documents") && fs::is_directory(home.File("Documents")));
    EXPECT_EQ(fw::Volume(0)->AbsolutePath(), "/");
    EXPECT_TRUE(fw::Volume(1) == nullptr && fw::Volume(-1) == nullptr);
}

// Sets environment variables for a scope and puts them back after.
class ScopedEnvironment {
public:
    void Set(const char* name, const std::optional<std::string>& value) {
        if (!saved_.count(name)) saved_[name] = std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt;
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

// Without a runtime folder, later starts must find the running copy's folder where no
// one else can take the name first: the user's cache folder comes before the shared
// /tmp, and a name in TMPDIR that another user took is passed over.
TEST(SpecialFolderTemporary, WithoutARuntimeFolderItIsInTheUsersOwnCacheFolder) {
    const std::string name = "stampora-" + std::to_string(::getuid());
    const struct {
        const char* why;
        bool tmpdir, taken, cacheMade;
        const char* cacheHome = nullptr;   // the home's .cache when none
    } rows[] = {
        {"no TMPDIR", false, false, true},
        {"TMPDIR's name taken by another user", true, true, true},
        {"no cache folder yet", false, false, false},
        // It would name a different folder from each working folder.
        {"a relative XDG_CACHE_HOME", false, false, true, "."},
    };
    for (const auto& row : rows) {
        ScratchDir tmp, home;
        ScopedEnvironment environment;
        ::chmod(tmp.Path().c_str(), 01777);
        if (row.taken) {
            // Root can give the folder away; anyone else plants a link, which is not
            // ours either.
            if (::getuid() == 0) {
                fs::create_directory(tmp.File(name));
                ASSERT_EQ(::chown(tmp.File(name).c_str(), 65534, 65534), 0);
            } else {
                fs::create_directory_symlink(home.Path(), tmp.File(name));
            }
        }
        if (row.cacheMade) fs::create_directory(home.File(".cache"));
        environment.Set("XDG_RUNTIME_DIR", std::nullopt);
        environment.Set("TMPDIR", row.tmpdir ? std::optional(tmp.Path()) : std::nullopt);
        environment.Set("HOME", home.Path());
        environment.Set("XDG_CACHE_HOME", row.cacheHome ? row.cacheHome : home.File(".cache"));
        const auto temporary = fw::SpecialFolder::Temporary();
        ASSERT_NE(temporary, nullptr) << row.why;
        const std::string path = temporary->AbsolutePath();
        EXPECT_EQ(path.rfind(home.File(".cache/" + name + "-"), 0), 0u) << row.why << ": " << path;
        EXPECT_EQ(unsigned(fs::symlink_status(path).permissions()), 0700u) << row.why;
        // A later start finds the same folder.
        EXPECT_EQ(fw::SpecialFolder::Temporary()->AbsolutePath(), path) << row.why;
        if (row.taken && ::getuid() == 0) {
            struct stat st {};
            EXPECT_TRUE(::lstat(tmp.File(name).c_str(), &st) == 0 && st.st_uid == 65534u) << row.why;
        }
    }
}

// File names are bytes: a home whose name is not UTF-8 gives its own Documents
// folder, not a made-up one, and a name that Qt turned into text comes back as its
// bytes when exactly one entry of its folder reads so.
TEST(FileNames, ANameThatIsNotUtf8KeepsItsBytes) {
    ScratchDir dir;
    const std::string home = dir.File("caf\xE9");
    fs::create_directory(home);
    dir.Write("ab\xE8", ""), dir.Write("ab\xE9", "");
    {
        ScopedEnvironment environment;
        environment.Set("HOME", home);
        environment.Set("XDG_CONFIG_HOME", home + "/.config");
        const auto documents = fw::SpecialFolder::Documents();
        ASSERT_NE(documents, nullptr);
        EXPECT_EQ(documents->AbsolutePath(), home + "/Documents");
        EXPECT_TRUE(fs::is_directory(home + "/Documents"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 3);
    const struct {
        std::string path, bytes;
    } rows[] = {
        {home + "/photo.jpg", home + "/photo.jpg"},
        {home, home},
        {dir.File("plain name"), dir.File("plain name")},
        // Two names read alike: neither is guessed.
        {dir.File("ab\xE9"), dir.File("ab\xEF\xBF\xBD")},
    };
    for (const auto& row : rows)
        EXPECT_EQ(fw::FileNames::Bytes(QFile::decodeName(QByteArray::fromStdString(row.path))), row.bytes) << row.path;
    // QTemporaryDir cannot remove what it cannot name.
    for (const auto& entry : fs::directory_iterator(dir.Path())) fs::remove_all(entry.path());
}

// --- programs

// Programs run without a shell between: arguments arrive whole, both output streams
// are kept, input is at its end at once, and a failed start names the command.
TEST(Shell, RunsAProgramAndKeepsItsOutputAndExitCode) {
    ScratchDir dir;
    const struct { const char* body; std::vector<std::string> args; std::string result; int exitCode; } rows[] = {
        {"echo out\necho err >&2\nexit 3\n", {}, "out\nerr\n", 3},
        {"for a in \"$@\"; do printf '[%s]' \"$a\"; done\n", {"a b", "$HOME", "`id`", "\"q\";rm x", ""},
         "[a b][$HOME][`id`][\"q\";rm x][]", 0},
        {"cat; echo done\n", {}, "done\n", 0},
    };
    for (const auto& row : rows) {
        const std::string program = dir.Write("program", std::string("#!/bin/sh\n") + row.body);
        ::chmod(program.c_str(), 0755);
        fw::Shell shell;
        shell.Execute(program, row.args);
        EXPECT_EQ(std::pair(shell.Result(), shell.ExitCode()), std::pair(row.result, row.exitCode)) << row.body;
        const std::string quoted = R"( "a b" "$HOME" "`id`" ""q";rm x" "")";
        EXPECT_TRUE(row.args.empty() || shell.CommandLine() == program + quoted);
    }
    const std::string notExecutable = dir.Write("plain", "#!/bin/sh\necho never\n");
    fw::Shell shell;
    shell.Execute(notExecutable, {"x"});
    EXPECT_TRUE(shell.Result().rfind(notExecutable + " \"x\": ", 0) == 0 && shell.ExitCode() == -1) << shell.Result();
    shell.Execute(dir.File("missing"), {});
    EXPECT_EQ(shell.Result().rfind(dir.File("missing") + ": ", 0), 0u) << shell.Result();
}
