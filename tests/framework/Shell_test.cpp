#include "framework/Shell.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

std::string Executable(const testsupport::ScratchDir& dir, const std::string& name,
                       const std::string& body) {
    const std::string path = dir.Write(name, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
    return path;
}

} // namespace

TEST(Shell, ResultHoldsBothOutputStreamsAndTheExitCode) {
    testsupport::ScratchDir dir;
    const auto program = Executable(dir, "both", "echo out\necho err >&2\nexit 3\n");
    fw::Shell shell;
    shell.Execute(program, {});
    EXPECT_EQ(shell.Result(), "out\nerr\n");
    EXPECT_EQ(shell.ExitCode(), 3);
}

TEST(Shell, ArgumentsArriveWholeAndUninterpreted) {
    testsupport::ScratchDir dir;
    const auto program = Executable(dir, "args", "for a in \"$@\"; do printf '[%s]' \"$a\"; done\n");
    fw::Shell shell;
    shell.Execute(program, {"a b", "$HOME", "`id`", "\"q\";rm x", ""});
    EXPECT_EQ(shell.Result(), "[a b][$HOME][`id`][\"q\";rm x][]");
    EXPECT_EQ(shell.CommandLine(), program + " \"a b\" \"$HOME\" \"`id`\" \"\"q\";rm x\" \"\"");
}

TEST(Shell, AProgramThatCannotStartReportsTheCommandInItsResult) {
    testsupport::ScratchDir dir;
    const std::string notExecutable = dir.Write("plain", "#!/bin/sh\necho never\n");
    fw::Shell shell;
    shell.Execute(notExecutable, {"x"});
    EXPECT_EQ(shell.Result().rfind(notExecutable + " \"x\": ", 0), 0u) << shell.Result();
    EXPECT_EQ(shell.ExitCode(), -1);

    shell.Execute(dir.File("missing"), {});
    EXPECT_EQ(shell.Result().rfind(dir.File("missing") + ": ", 0), 0u) << shell.Result();
}

TEST(Shell, AProgramThatReadsInputGetsEndOfFileInsteadOfWaiting) {
    testsupport::ScratchDir dir;
    const auto program = Executable(dir, "reader", "cat; echo done\n");
    fw::Shell shell;
    shell.Execute(program, {});
    EXPECT_EQ(shell.Result(), "done\n");
}
