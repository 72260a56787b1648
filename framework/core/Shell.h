#pragma once

#include <string>
#include <vector>

namespace fw {

// Runs one program with an argument list and waits for it to end. No shell is
// involved, so nothing in an argument is ever interpreted; no time limit is set.
class Shell {
public:
    void Execute(const std::string& program, const std::vector<std::string>& arguments);

    // What the program printed, standard output and standard error together in the
    // order they arrived. When the program could not be started at all, a line
    // naming the command and the reason, as a shell would have printed.
    const std::string& Result() const { return result_; }
    // The exit code, or -1 when the program did not start or did not end normally.
    int ExitCode() const { return exitCode_; }
    // The last command for the log: the program, then each argument in double
    // quotes. Only a text to read; it is never run.
    const std::string& CommandLine() const { return commandLine_; }

private:
    std::string result_;
    std::string commandLine_;
    int exitCode_ = -1;
};

} // namespace fw
