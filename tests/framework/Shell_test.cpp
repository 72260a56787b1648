#include "framework/Shell.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

// Programs run without a shell between: arguments arrive whole, both output streams
// are kept, input is at its end at once, and a failed start names the command.
TEST(Shell, RunsAProgramAndKeepsItsOutputAndExitCode) {
    testsupport::ScratchDir dir;
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
        EXPECT_EQ(shell.Result(), row.result) << row.body;
        EXPECT_EQ(shell.ExitCode(), row.exitCode) << row.body;
        if (!row.args.empty()) {
            EXPECT_EQ(shell.CommandLine(), program + " \"a b\" \"$HOME\" \"`id`\" \"\"q\";rm x\" \"\"");
        }
    }
    const std::string notExecutable = dir.Write("plain", "#!/bin/sh\necho never\n");
    fw::Shell shell;
    shell.Execute(notExecutable, {"x"});
    EXPECT_EQ(shell.Result().rfind(notExecutable + " \"x\": ", 0), 0u) << shell.Result();
    EXPECT_EQ(shell.ExitCode(), -1);
    shell.Execute(dir.File("missing"), {});
    EXPECT_EQ(shell.Result().rfind(dir.File("missing") + ": ", 0), 0u) << shell.Result();
}
