#include "tests/common/TestSupport.h"

#include "framework/graphics/DecodeHelper.h"

#include <csignal>
#include <filesystem>
#include <functional>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

enum class Outcome { Done, Refused, Absent, Killed };

struct ProbeRun {
    int status = -1;
    std::string printed;
};

// The probe (SandboxProbe.cpp) started the way the program starts the helper, with
// the user's photo as its input and the user's log file as its standard error.
ProbeRun RunProbe(const std::string& call, const std::string& folder) {
    const int photo = ::open((folder + "/photo.jpg").c_str(), O_RDONLY | O_CLOEXEC);
    const int log = ::open((folder + "/log.txt").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const int result = ::memfd_create("probe-result", MFD_CLOEXEC);
    int reply[2];
    if (photo < 0 || log < 0 || result < 0 || ::pipe2(reply, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, photo, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, reply[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, log, STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, result, fw::DecodeHelper::kResultDescriptor);
    std::string args[] = {STAMPORA_SANDBOX_PROBE, call, folder};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    for (const int fd : {photo, log, result, reply[1]}) ::close(fd);
    ProbeRun run;
    char buffer[64];
    for (ssize_t n; spawned == 0 && (n = ::read(reply[0], buffer, sizeof buffer)) > 0;) run.printed.append(buffer, size_t(n));
    ::close(reply[0]);
    if (spawned == 0) ::waitpid(pid, &run.status, 0);
    return run;
}

::testing::AssertionResult Shows(const ProbeRun& run, Outcome outcome) {
    const int status = run.status;
    const bool exited = status != -1 && WIFEXITED(status);
    switch (outcome) {
    case Outcome::Done:
        if (exited && WEXITSTATUS(status) == 0) return ::testing::AssertionSuccess();
        break;
    case Outcome::Refused:
        if (exited && WEXITSTATUS(status) == 1 && run.printed == std::to_string(EPERM) + "\n")
            return ::testing::AssertionSuccess();
        break;
    case Outcome::Absent:
        if (exited && WEXITSTATUS(status) == 1 && run.printed == std::to_string(ENOSYS) + "\n")
            return ::testing::AssertionSuccess();
        break;
    case Outcome::Killed:
        if (status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS) return ::testing::AssertionSuccess();
        break;
    }
    return ::testing::AssertionFailure() << "status " << status << ", printed errno " << run.printed;
}

// Every entry below the folder: its type, mode, owner, size, times and bytes. The
// change time moves on any change of mode, owner, links or attributes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    namespace fs = std::filesystem;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        struct stat info {};
        ::lstat(entry.path().c_str(), &info);
        std::string facts = std::to_string(info.st_mode) + " " + std::to_string(info.st_uid) + " " +
                            std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_nsec) + " " +
                            std::to_string(info.st_mtim.tv_sec) + " " + std::to_string(info.st_ctim.tv_nsec) + " " +
                            std::to_string(info.st_ctim.tv_sec);
        // Text as it is, so that a failure shows what was written; the photo as a hash.
        if (S_ISREG(info.st_mode)) {
            const std::string bytes = testsupport::ReadFile(entry.path());
            facts += " " + (bytes.size() < 256 ? bytes : std::to_string(std::hash<std::string>{}(bytes)));
        }
        entries[entry.path().lexically_relative(folder)] = facts;
    }
    return entries;
}

// What a decoder that runs attacker's code could try after the filter went in, and
// what decoding itself needs, so that a probe refused everything would show.
TEST(DecodeSandbox, RefusesEveryCallThatReachesFilesOrProcessesAndKeepsTheUsersFilesAsTheyWere) {
    struct Row {
        const char* call;
        Outcome outcome;
    };
    const Row rows[] = {
        {"open-read", Outcome::Refused},
        {"open-write", Outcome::Refused},
        {"open-create", Outcome::Refused},
        {"truncate", Outcome::Refused},
        {"unlinkat", Outcome::Refused},
        {"renameat", Outcome::Refused},
        {"renameat2", Outcome::Refused},
        {"fchmodat", Outcome::Refused},
        {"utimensat", Outcome::Refused},
        {"setxattr", Outcome::Refused},
        {"mknodat", Outcome::Refused},
        {"symlinkat", Outcome::Refused},
        {"linkat", Outcome::Refused},
        {"mkdirat", Outcome::Refused},
        {"stat-path", Outcome::Refused},
        {"lstat-path", Outcome::Refused},
#if defined(__x86_64__)
        {"unlink", Outcome::Refused},
        {"rename", Outcome::Refused},
        {"chmod", Outcome::Refused},
        {"mknod", Outcome::Refused},
        {"symlink", Outcome::Refused},
        {"mkdir", Outcome::Refused},
        {"x32-getpid", Outcome::Killed},
#endif
        {"fchmod-photo", Outcome::Refused},
        {"ftruncate-log", Outcome::Refused},
        {"fallocate-log", Outcome::Refused},
        {"lseek-log", Outcome::Refused},
        {"pwrite-log", Outcome::Refused},
        {"fcntl-log", Outcome::Refused},
        {"ioctl-log", Outcome::Refused},
        {"ptrace-parent", Outcome::Refused},
        {"read-parent-memory", Outcome::Refused},
        {"kill-parent", Outcome::Refused},
        {"tgkill-parent", Outcome::Refused},
        {"pidfd-parent", Outcome::Refused},
        {"socket", Outcome::Refused},
        {"execve", Outcome::Refused},
        {"fork", Outcome::Refused},
        {"spawn-style-clone", Outcome::Refused},
        {"thread-in-new-user-namespace", Outcome::Refused},
        // glibc falls back to clone, whose flags the filter can read.
        {"clone3", Outcome::Absent},
        {"untie-from-parent", Outcome::Refused},
        {"map-executable", Outcome::Refused},
        {"make-executable", Outcome::Refused},
        {"early-thread-unlinkat", Outcome::Refused},
        {"grow-result", Outcome::Done},
        {"map-memory", Outcome::Done},
        {"thread", Outcome::Done},
        {"write-reply", Outcome::Done},
        {"signal-self", Outcome::Done},
    };
    const std::string photo = testsupport::Encoded(testsupport::QuadrantImage()).toStdString();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.call);
        // A folder of the user's per call, so that one call's damage shows at that call.
        const testsupport::ScratchDir dir;
        dir.Write("photo.jpg", photo);
        dir.Write("notes.txt", "the user's own words\n");
        dir.Write("log.txt", "what the program said before\n");
        std::filesystem::create_directory(dir.File("sub"));
        dir.Write("sub/kept.txt", "kept\n");
        const auto before = Snapshot(dir.Path());
        EXPECT_TRUE(Shows(RunProbe(row.call, dir.Path()), row.outcome));
        EXPECT_EQ(Snapshot(dir.Path()), before);
    }
}

} // namespace
