#include "mail/FolderitemExtensions.h"

#include "tests/mail/FakeOsascript.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using FolderitemExtensions::SendAppleScriptCommand;
using testsupport::ReadFile;

using ScriptRunner = FakeOsascriptTest;

TEST_F(ScriptRunner, RunsTheScriptFileAsTheOneArgumentAndReturnsTheOutput) {
    InstallOsascript("printf 'line 1\\n'; printf 'oops\\n' >&2\n");
    const std::string script = "tell application \"Mail\"\ractivate\rend tell\r";
    EXPECT_EQ(SendAppleScriptCommand(script), "line 1\noops\n");
    EXPECT_EQ(Runs(), 1);
    EXPECT_EQ(RecordedArgumentCount(), "1");
    EXPECT_EQ(RecordedArgument(), ScriptFile());
    EXPECT_EQ(RecordedScript(), script);
    EXPECT_TRUE(TemporaryIsEmpty());
}

TEST_F(ScriptRunner, AnEmptyScriptStillRunsOnAnEmptyFile) {
    InstallOsascript("printf 'empty run'\n");
    EXPECT_EQ(SendAppleScriptCommand(""), "empty run");
    EXPECT_EQ(Runs(), 1);
    EXPECT_TRUE(fs::exists(record_.File("script")));
    EXPECT_EQ(RecordedScript(), "");
    EXPECT_TRUE(TemporaryIsEmpty());
}

TEST_F(ScriptRunner, UnicodeTextIsWrittenAsUtf8WithoutAnythingAdded) {
    InstallOsascript("");
    const std::string script = "set s to \"Jos\xC3\xA9 \xE2\x9C\x89\"\r";
    EXPECT_EQ(SendAppleScriptCommand(script), "");
    EXPECT_EQ(RecordedScript(), script);
}

TEST_F(ScriptRunner, AFailingScriptReturnsWhatItPrintedAndTheFileStillGoes) {
    InstallOsascript("echo 'execution error: Mail got an error (-1728)' >&2; exit 1\n");
    EXPECT_EQ(SendAppleScriptCommand("x"), "execution error: Mail got an error (-1728)\n");
    EXPECT_TRUE(TemporaryIsEmpty());
}

TEST_F(ScriptRunner, EachMissingPieceOfTheCommandGivesItsOwnMessageAndDoesNothing) {
    EXPECT_EQ(SendAppleScriptCommand("s"), "Critical Error Can Not Access Apple Script (usr).");
    fs::create_directory(boot_.File("usr"));
    EXPECT_EQ(SendAppleScriptCommand("s"), "Critical Error Can Not Access Apple Script (bin).");
    fs::create_directory(boot_.File("usr/bin"));
    // Elsewhere on the volume does not count.
    fs::create_directories(boot_.File("bin"));
    boot_.Write("bin/osascript", "#!/bin/sh\n");
    EXPECT_EQ(SendAppleScriptCommand("s"), "Critical Error Can Not Access Apple Script (osascript).");
    EXPECT_TRUE(TemporaryIsEmpty());
    EXPECT_EQ(Runs(), 0);
}

TEST_F(ScriptRunner, ATemporaryPathWithBlanksAndShellCharactersArrivesPlain) {
    const std::string odd = temp_.File("with blank $HOME `x` it's");
    UseTemporary(odd);
    InstallOsascript("");
    SendAppleScriptCommand("s");
    EXPECT_EQ(RecordedArgumentCount(), "1");
    EXPECT_EQ(RecordedArgument(), odd + "/brixAppleScript.txt");
    EXPECT_EQ(RecordedScript(), "s");
    EXPECT_TRUE(TemporaryIsEmpty());
}

TEST_F(ScriptRunner, ATemporaryPathHoldingABackslashArrivesWhole) {
    // No shell reads the argument, so a backslash in the real path must stay in it.
    const std::string odd = temp_.File("back\\slash");
    UseTemporary(odd);
    InstallOsascript("");
    SendAppleScriptCommand("s");
    EXPECT_EQ(RecordedArgument(), odd + "/brixAppleScript.txt");
    EXPECT_EQ(RecordedScript(), "s");
    EXPECT_TRUE(TemporaryIsEmpty());
}

TEST_F(ScriptRunner, ALinkLeftUnderTheScriptNameIsReplacedNotWrittenThrough) {
    InstallOsascript("");
    const std::string victim = record_.Write("victim", "do not touch");
    fs::create_symlink(victim, ScriptFile());
    SendAppleScriptCommand("new script");
    EXPECT_EQ(ReadFile(victim), "do not touch");
    EXPECT_EQ(RecordedScript(), "new script");
    EXPECT_FALSE(fs::exists(fs::symlink_status(ScriptFile())));
}

TEST_F(ScriptRunner, ACommandThatCannotStartReportsTheQuotedCommandLine) {
    InstallOsascript("");
    ::chmod(boot_.File("usr/bin/osascript").c_str(), 0644);
    const std::string result = SendAppleScriptCommand("s");
    const std::string commandLine =
        boot_.File("usr/bin/osascript") + " \"" + ScriptFile() + "\": ";
    EXPECT_EQ(result.rfind(commandLine, 0), 0u) << result;
    EXPECT_TRUE(TemporaryIsEmpty());
}

TEST(FixShellPath, RemovesEveryBackslashAndNothingElse) {
    EXPECT_EQ(FolderitemExtensions::fixShellPath("/home/ana/Zinglet.jpg"), "/home/ana/Zinglet.jpg");
    EXPECT_EQ(FolderitemExtensions::fixShellPath("\\\\\\"), "");
    EXPECT_EQ(FolderitemExtensions::fixShellPath(""), "");
    EXPECT_EQ(FolderitemExtensions::fixShellPath("/a\\ b/c\\$d"), "/a b/c$d");
}

TEST(FixShellPath, UndoesTheShellPathOfAPathWithSpecialCharacters) {
    const std::string plain = "/home/ana/My Cards (2)/it's $5 & \"more\"/Zinglet.jpg";
    EXPECT_EQ(FolderitemExtensions::fixShellPath(fw::FolderItem(plain).ShellPath()), plain);
}
