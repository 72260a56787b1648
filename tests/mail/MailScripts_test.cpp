#include "mail/FolderitemExtensions.h"

#include "framework/Exceptions.h"

#include "tests/mail/FakeOsascript.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;
using FolderitemExtensions::SendViaEmail;

namespace {

// The card need not exist for the script to be written; a fixed path keeps the
// expected bytes literal.
const char* const kCard = "/home/ana/My Cards/Zinglet.jpg";
const char* const kSubject = "Ana Lima has sent you a Zinglet";

struct MailCase {
    const char* tag;
    const char* expected;
};

// Written out byte for byte: these are what the mail programs receive.
const MailCase kCases[] = {
    {"Entourage",
     "tell application \"Microsoft Entourage\"\r"
     "activate\r"
     "set newTask to make new outgoing message with properties {name:\"Ana Lima has sent you a "
     "Zinglet\", attachment:\"/home/ana/My Cards/Zinglet.jpg\"}\r"
     "open newTask\r"
     "end tell\r"},
    {"Mail",
     "tell application \"Mail\"\r"
     "activate\r"
     "set newMsg to (make new outgoing message with properties {visible:true, subject:\"Ana Lima "
     "has sent you a Zinglet\"})\r"
     "tell newMsg\r"
     "tell content\r"
     "make new attachment with properties {file name:\"/home/ana/My Cards/Zinglet.jpg\"} at "
     "before the first character\r"
     "end tell\r"
     "end tell\r"
     "end tell\r"},
    {"Mailsmith",
     "tell application \"Mailsmith\"\r"
     "activate\r"
     "set the new_message to make new message window\r"
     "tell new_message\r"
     "set the subject to \"Ana Lima has sent you a Zinglet\"\r"
     "make new enclosure at end with properties {file:\"/home/ana/My Cards/Zinglet.jpg\"}\r"
     "end tell\r"
     "end tell\r"},
    {"Eudora",
     "tell application \"Eudora\"\r"
     "activate\r"
     "set x to make message at (end of mailbox \"Out\" of mail folder \"\")\r"
     "set field \"Subject\" of x to \"Ana Lima has sent you a Zinglet\"\r"
     "set myfile to \"/home/ana/My Cards/Zinglet.jpg\" as alias\r"
     "attach to message x documents {myfile}\r"
     "end tell\r"},
    {"GyazMail",
     "tell application \"GyazMail\"\r"
     "set myfile to \"/home/ana/My Cards/Zinglet.jpg\" as alias\r"
     "set mymail to (make new outgoing message at the beginning of outgoing messages with "
     "properties {subject: \"Ana Lima has sent you a Zinglet\", content: \" \", to recipients: "
     "\"\"})\r"
     "tell mymail\r"
     "tell content\r"
     "make new attachment with properties {file name:myfile} at after the last word of the the "
     "last paragraph\r"
     "end tell\r"
     "end tell\r"
     "send mymail\r"
     "end tell\r"},
};

void PrintTo(const MailCase& c, std::ostream* os) { *os << c.tag; }

class MailScripts : public FakeOsascriptTest, public ::testing::WithParamInterface<MailCase> {};

fw::FolderItemRef Card(const std::string& path = kCard) { return fw::FolderItem::FromPath(path); }

} // namespace

TEST_P(MailScripts, EachTagSendsItsScriptByteForByte) {
    InstallOsascript("");
    testsupport::DebugLogCapture log;
    SendViaEmail(Card(), GetParam().tag, kSubject, "");
    EXPECT_EQ(RecordedScript(), GetParam().expected);
    EXPECT_EQ(RecordedScript().find('\n'), std::string::npos);
    EXPECT_EQ(Runs(), 1);
    EXPECT_TRUE(TemporaryIsEmpty());
    // Nothing printed, nothing logged.
    EXPECT_TRUE(log.Lines().empty());
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, MailScripts, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.tag); });

using MailScriptRules = FakeOsascriptTest;

TEST_F(MailScriptRules, AnEmptySubjectBecomesTheFilesName) {
    InstallOsascript("");
    SendViaEmail(Card(), "Mailsmith", "", "");
    EXPECT_EQ(RecordedScript(),
              "tell application \"Mailsmith\"\r"
              "activate\r"
              "set the new_message to make new message window\r"
              "tell new_message\r"
              "set the subject to \"Zinglet.jpg\"\r"
              "make new enclosure at end with properties {file:\"/home/ana/My Cards/Zinglet.jpg\"}\r"
              "end tell\r"
              "end tell\r");
}

TEST_F(MailScriptRules, QuotesAndBackslashesInTheSubjectAreEscaped) {
    InstallOsascript("");
    SendViaEmail(Card(), "Eudora", "Ana \"\\\" Lima\" & do shell script \"rm -rf ~", "");
    EXPECT_EQ(RecordedScript(),
              "tell application \"Eudora\"\r"
              "activate\r"
              "set x to make message at (end of mailbox \"Out\" of mail folder \"\")\r"
              "set field \"Subject\" of x to \"Ana \\\"\\\\\\\" Lima\\\" & do shell script "
              "\\\"rm -rf ~\"\r"
              "set myfile to \"/home/ana/My Cards/Zinglet.jpg\" as alias\r"
              "attach to message x documents {myfile}\r"
              "end tell\r");
}

// The full path keeps its backslash, escaped; the plain path made from the shell
// path loses it, as it always has, and only its double quote needs escaping.
TEST_F(MailScriptRules, QuotesAndBackslashesInThePathAreEscapedInBothPathForms) {
    InstallOsascript("");
    const auto card = Card("/home/a\"b\\c/Zinglet.jpg");
    SendViaEmail(card, "GyazMail", "s", "");
    EXPECT_EQ(RecordedScript(),
              "tell application \"GyazMail\"\r"
              "set myfile to \"/home/a\\\"b\\\\c/Zinglet.jpg\" as alias\r"
              "set mymail to (make new outgoing message at the beginning of outgoing messages with "
              "properties {subject: \"s\", content: \" \", to recipients: \"\"})\r"
              "tell mymail\r"
              "tell content\r"
              "make new attachment with properties {file name:myfile} at after the last word of "
              "the the last paragraph\r"
              "end tell\r"
              "end tell\r"
              "send mymail\r"
              "end tell\r");

    SendViaEmail(card, "Mail", "s", "");
    EXPECT_EQ(RecordedScript(),
              "tell application \"Mail\"\r"
              "activate\r"
              "set newMsg to (make new outgoing message with properties {visible:true, "
              "subject:\"s\"})\r"
              "tell newMsg\r"
              "tell content\r"
              "make new attachment with properties {file name:\"/home/a\\\"bc/Zinglet.jpg\"} at "
              "before the first character\r"
              "end tell\r"
              "end tell\r"
              "end tell\r");
}

TEST_F(MailScriptRules, TagsAreWholeTextsSoMailAndMailsmithAreNeverConfused) {
    InstallOsascript("");
    SendViaEmail(Card(), "Mail", kSubject, "");
    EXPECT_EQ(RecordedScript().rfind("tell application \"Mail\"\r", 0), 0u);
    EXPECT_EQ(RecordedScript().find("Mailsmith"), std::string::npos);
    SendViaEmail(Card(), "Mailsmith", kSubject, "");
    EXPECT_EQ(RecordedScript().rfind("tell application \"Mailsmith\"\r", 0), 0u);
    EXPECT_EQ(Runs(), 2);
}

TEST_F(MailScriptRules, AnUnknownTagRunsAnEmptyScriptAndLogsWhatItPrinted) {
    InstallOsascript("printf 'script error: nothing to run'\n");
    testsupport::DebugLogCapture log;
    for (const char* tag : {"Outlook", "mail", "Mail ", ""})
        SendViaEmail(Card(), tag, kSubject, "");
    EXPECT_EQ(Runs(), 4);
    EXPECT_TRUE(fs::exists(record_.File("script")));
    EXPECT_EQ(RecordedScript(), "");
    EXPECT_EQ(log.Lines(), std::vector<std::string>(4, "script error: nothing to run"));
    EXPECT_TRUE(TemporaryIsEmpty());
}

TEST_F(MailScriptRules, AMissingOsascriptIsLoggedAndNothingIsWritten) {
    fs::create_directories(boot_.File("usr/bin"));
    testsupport::DebugLogCapture log;
    SendViaEmail(Card(), "Mail", kSubject, "");
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>{"Critical Error Can Not Access Apple Script (osascript)."});
    EXPECT_TRUE(TemporaryIsEmpty());
}

TEST_F(MailScriptRules, ANilFileRaisesBeforeAnythingRuns) {
    InstallOsascript("");
    EXPECT_THROW(SendViaEmail(nullptr, "Mail", kSubject, ""), fw::NilObjectException);
    EXPECT_EQ(Runs(), 0);
}
