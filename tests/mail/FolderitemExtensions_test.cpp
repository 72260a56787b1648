#include "mail/FolderitemExtensions.h"

#include "framework/core/Exceptions.h"
#include "framework/core/ExecutableFile.h"

#include "tests/common/FakeOsascript.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using namespace FolderitemExtensions;

namespace {

// Every test runs on the fake osascript, whose folders' names need quoting.
class MailTest : public ::testing::Test {
protected:
    testsupport::FakeOsascript osascript_;
};

fw::FolderItemRef Card(const std::string& path = "/home/ana/My Cards/Zinglet.jpg") {
    return fw::FolderItem::FromPath(path);
}

} // namespace

// --- running a script

TEST_F(MailTest, TheScriptFileIsTheOneArgumentItsOutputIsReturnedAndItGoesAfterwards) {
    osascript_.Install("printf 'line 1\\n'; printf 'oops\\n' >&2\n");
    const std::string script = "tell application \"Mail\"\rset s to \"Jos\xC3\xA9 \xE2\x9C\x89\"\r";
    EXPECT_EQ(SendAppleScriptCommand(script), "line 1\noops\n");
    EXPECT_EQ(osascript_.Runs(), 1);
    EXPECT_EQ(osascript_.ArgumentCount(), "1");
    // No shell reads the path: its blank, `$`, quotes and backslash arrive as they are.
    EXPECT_EQ(osascript_.Argument(), osascript_.ScriptFile());
    // Written as UTF-8 with nothing added.
    EXPECT_EQ(osascript_.Script(), script);
    EXPECT_TRUE(osascript_.TemporaryIsEmpty());
}

TEST_F(MailTest, EachMissingOrBrokenPieceOfTheCommandGivesItsOwnMessage) {
    EXPECT_EQ(SendAppleScriptCommand("s"), "Critical Error Can Not Access Apple Script (usr).");
    fs::create_directory(osascript_.Boot("usr"));
    EXPECT_EQ(SendAppleScriptCommand("s"), "Critical Error Can Not Access Apple Script (bin).");
    // Elsewhere on the volume does not count.
    fs::create_directories(osascript_.Boot("usr/bin"));
    fs::create_directories(osascript_.Boot("bin"));
    std::ofstream(osascript_.Boot("bin/osascript")) << "#!/bin/sh\n";
    EXPECT_EQ(SendAppleScriptCommand("s"), "Critical Error Can Not Access Apple Script (osascript).");
    EXPECT_TRUE(osascript_.TemporaryIsEmpty());
    // One that cannot start is reported with its quoted command line.
    osascript_.Install();
    ::chmod(osascript_.Boot("usr/bin/osascript").c_str(), 0644);
    const std::string result = SendAppleScriptCommand("s");
    EXPECT_EQ(result.rfind(osascript_.Boot("usr/bin/osascript") + " \"" + osascript_.ScriptFile() + "\": ", 0), 0u)
        << result;
    EXPECT_TRUE(osascript_.TemporaryIsEmpty());
}

TEST_F(MailTest, ALinkLeftUnderTheScriptNameIsReplacedNotWrittenThrough) {
    osascript_.Install();
    const std::string victim = osascript_.Record().Write("victim", "do not touch");
    fs::create_symlink(victim, osascript_.ScriptFile());
    SendAppleScriptCommand("new script");
    EXPECT_EQ(testsupport::ReadFile(victim), "do not touch");
    EXPECT_EQ(osascript_.Script(), "new script");
    EXPECT_FALSE(fs::exists(fs::symlink_status(osascript_.ScriptFile())));
}

// --- the mail scripts

namespace {

// Written out byte for byte: these are what the mail programs receive. <S> stands
// for the subject's literal and <F> for the file's.
const std::map<std::string, std::string> kScripts = {
    {"Entourage",
     "tell application \"Microsoft Entourage\"\ractivate\r"
     "set newTask to make new outgoing message with properties {name:<S>, attachment:<F>}\ropen newTask\rend tell\r"},
    {"Mail",
     "tell application \"Mail\"\ractivate\r"
     "set newMsg to (make new outgoing message with properties {visible:true, subject:<S>})\rtell newMsg\r"
     "tell content\rmake new attachment with properties {file name:<F>} at before the first character\r"
     "end tell\rend tell\rend tell\r"},
    {"Mailsmith",
     "tell application \"Mailsmith\"\ractivate\rset the new_message to make new message window\r"
     "tell new_message\rset the subject to <S>\rmake new enclosure at end with properties {file:<F>}\r"
     "end tell\rend tell\r"},
    {"Eudora",
     "tell application \"Eudora\"\ractivate\rset x to make message at (end of mailbox \"Out\" of mail folder \"\")\r"
     "set field \"Subject\" of x to <S>\rset myfile to <F> as alias\rattach to message x documents {myfile}\r"
     "end tell\r"},
    {"GyazMail",
     "tell application \"GyazMail\"\rset myfile to <F> as alias\r"
     "set mymail to (make new outgoing message at the beginning of outgoing messages with properties "
     "{subject: <S>, content: \" \", to recipients: \"\"})\rtell mymail\rtell content\r"
     "make new attachment with properties {file name:myfile} at after the last word of the the last paragraph\r"
     "end tell\rend tell\rsend mymail\rend tell\r"},
};

struct MailCase {
    const char *name, *tag, *card, *subject, *subjectLiteral, *fileLiteral;
};

const char* const kCard = "/home/ana/My Cards/Zinglet.jpg";
const char* const kOddCard = "/home/a\"b\\c/it's $5 & (2)/Zinglet.jpg";
const char* const kSubject = "Ana Lima has sent you a Zinglet";
const char* const kCardLiteral = "\"/home/ana/My Cards/Zinglet.jpg\"";
MailCase Plain(const char* tag) {
    return {tag, tag, kCard, kSubject, "\"Ana Lima has sent you a Zinglet\"", kCardLiteral};
}

const MailCase kMails[] = {
    Plain("Entourage"), Plain("Mail"), Plain("Mailsmith"), Plain("Eudora"), Plain("GyazMail"),
    {"EmptySubjectBecomesTheFilesName", "Mailsmith", kCard, "", "\"Zinglet.jpg\"", kCardLiteral},
    {"SubjectQuotesAndBackslashesAreEscaped", "Eudora", kCard, "Ana \"\\\" Lima\" & do shell script \"rm -rf ~",
     "\"Ana \\\"\\\\\\\" Lima\\\" & do shell script \\\"rm -rf ~\"", kCardLiteral},
    // The full path keeps its backslash, escaped; the plain path made from the shell
    // path loses it, as it always has, keeps the other characters the shell path
    // escaped, and only its double quote needs escaping.
    {"FullPathIsEscaped", "GyazMail", kOddCard, "s", "\"s\"", "\"/home/a\\\"b\\\\c/it's $5 & (2)/Zinglet.jpg\""},
    {"PlainPathIsEscaped", "Mail", kOddCard, "s", "\"s\"", "\"/home/a\\\"bc/it's $5 & (2)/Zinglet.jpg\""},
};

void PrintTo(const MailCase& c, std::ostream* os) { *os << c.name; }

std::string Expected(const MailCase& c) {
    std::string script = kScripts.at(c.tag);
    script.replace(script.find("<S>"), 3, c.subjectLiteral);
    script.replace(script.find("<F>"), 3, c.fileLiteral);
    return script;
}

class MailScripts : public MailTest, public ::testing::WithParamInterface<MailCase> {};

} // namespace

TEST_P(MailScripts, EachTagSendsItsScriptByteForByte) {
    osascript_.Install();
    testsupport::DebugLogCapture log;
    SendViaEmail(Card(GetParam().card), GetParam().tag, GetParam().subject, "");
    EXPECT_EQ(osascript_.Script(), Expected(GetParam()));
    EXPECT_EQ(osascript_.Runs(), 1);
    EXPECT_TRUE(osascript_.TemporaryIsEmpty());
    // Nothing printed, nothing logged.
    EXPECT_TRUE(log.Lines().empty());
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, MailScripts, ::testing::ValuesIn(kMails),
                         [](const auto& test) { return std::string(test.param.name); });

// The path form the alias-taking scripts get on macOS.
TEST(ColonPath, IsTheVolumeThenEachNameJoinedByColons) {
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"/Users/ana/Documents/Zinglet.jpg", "Macintosh HD", "Macintosh HD:Users:ana:Documents:Zinglet.jpg"},
        {"/Users/ana/12:30 cards/a:b.jpg", "HD", "HD:Users:ana:12/30 cards:a/b.jpg"},   // a colon is a slash there
        {"//Users//ana/x.jpg/", "HD", "HD:Users:ana:x.jpg"},                              // no empty names
        {"/a\"b\\c/it's $5.jpg", "HD", "HD:a\"b\\c:it's $5.jpg"},                // kept; the script escapes
        {"/", "Boot", "Boot:"},
    };
    for (const auto& [posix, volume, expected] : rows) EXPECT_EQ(ColonPath(posix, volume), expected) << posix;
}

TEST_F(MailTest, AnUnknownTagRunsAnEmptyScriptAndLogsItsFailureAndANilFileRaisesFirst) {
    osascript_.Install("printf 'script error: nothing to run' >&2; exit 1\n");
    testsupport::DebugLogCapture log;
    for (const char* tag : {"Outlook", "mail", "Mail ", ""}) SendViaEmail(Card(), tag, kSubject, "");
    EXPECT_EQ(osascript_.Runs(), 4);
    EXPECT_TRUE(osascript_.Ran());
    EXPECT_EQ(osascript_.Script(), "");
    EXPECT_EQ(log.Lines(), std::vector<std::string>(4, "script error: nothing to run"));
    EXPECT_TRUE(osascript_.TemporaryIsEmpty());
    // A nil file raises before anything runs.
    EXPECT_THROW(SendViaEmail(nullptr, "Mail", kSubject, ""), fw::NilObjectException);
    EXPECT_EQ(osascript_.Runs(), 4);
}

// --- the resources folder

TEST(ResourcesFolder, IsBesideTheExecutablesFolderFoundOnceAndKeptUntilReleased) {
    testsupport::ScratchDir bundle;
    ReleaseResourcesFolder();
    fw::SetExecutableFileForTests(bundle.File("Stampora/bin/stampora"));
    const auto first = ResourcesFolder();
    // Given even while it is missing: whether it exists is the reader's matter.
    EXPECT_EQ(fw::Deref(first).AbsolutePath(), bundle.File("Stampora/Resources"));
    fw::SetExecutableFileForTests(bundle.File("Moved/bin/stampora"));
    EXPECT_EQ(ResourcesFolder(), first);
    ReleaseResourcesFolder();
    EXPECT_EQ(ResourcesFolder()->AbsolutePath(), bundle.File("Moved/Resources"));
    ReleaseResourcesFolder();
    // An executable without two folders above it has no resources folder.
    fw::SetExecutableFileForTests("/stampora");
    EXPECT_THROW(ResourcesFolder(), fw::NilObjectException);
    ReleaseResourcesFolder();
    fw::SetExecutableFileForTests("");
}
