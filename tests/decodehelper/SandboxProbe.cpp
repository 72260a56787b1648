// A decoder gone rogue, for the sandbox's tests: it confines itself exactly as the
// decode helper does (the same library call), then makes the one system call its
// first argument names against the user's folder, its second argument, or against
// its parent. Built for the tests only, so that the shipped helper carries no hook.
//
// It is started as the program starts the helper: the user's photo on standard
// input (read only), the result memfd as descriptor 3, and here the user's log file,
// open for appending, as standard error.
//
// Prints the call's errno (0 when it succeeded) and ends with 0 when it succeeded,
// 1 when it failed, 2 when the process could not be confined.
#include "decodehelper/DecoderMessages.h"
#include "decodehelper/Sandbox.h"
#include "framework/graphics/DecodeHelper.h"

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <linux/falloc.h>
#include <linux/sched.h>
#include <map>
#include <mutex>
#include <sched.h>
#include <signal.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <thread>
#include <unistd.h>

namespace {

long Sys(long result) { return result < 0 ? -errno : result; }

// A thread that exists before the filter goes in, and makes a call when told.
class EarlyThread {
public:
    EarlyThread() : thread_([this] { Run(); }) {}
    long Call(std::function<long()> call) {
        std::unique_lock<std::mutex> lock(mutex_);
        call_ = std::move(call);
        changed_.notify_all();
        changed_.wait(lock, [this] { return done_; });
        thread_.join();
        // errno is the thread's own.
        errno = error_;
        return result_;
    }

private:
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return bool(call_); });
        result_ = call_();
        error_ = errno;
        done_ = true;
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<long()> call_;
    long result_ = 0;
    int error_ = 0;
    bool done_ = false;
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 3;
    const std::string call = argv[1];
    const std::string folder = argv[2];
    // Everything a call needs is reckoned before the filter.
    const std::string notes = folder + "/notes.txt", elsewhere = folder + "/elsewhere.txt",
                      made = folder + "/made";
    const pid_t parent = ::getppid();
    static char parentByte;
    static const char* trueArgs[] = {"/bin/true", nullptr};
    EarlyThread early;

    const std::map<std::string, std::function<long()>> calls = {
        // Files named by path.
        {"open-read", [&] { return ::syscall(SYS_openat, AT_FDCWD, notes.c_str(), O_RDONLY); }},
        {"open-write", [&] { return ::syscall(SYS_openat, AT_FDCWD, notes.c_str(), O_WRONLY | O_TRUNC); }},
        {"open-create", [&] { return ::syscall(SYS_openat, AT_FDCWD, made.c_str(), O_WRONLY | O_CREAT, 0600); }},
        {"truncate", [&] { return ::syscall(SYS_truncate, notes.c_str(), 0); }},
        {"unlinkat", [&] { return ::syscall(SYS_unlinkat, AT_FDCWD, notes.c_str(), 0); }},
        {"renameat", [&] { return ::syscall(SYS_renameat, AT_FDCWD, notes.c_str(), AT_FDCWD, elsewhere.c_str()); }},
        {"renameat2",
         [&] { return ::syscall(SYS_renameat2, AT_FDCWD, notes.c_str(), AT_FDCWD, elsewhere.c_str(), 0); }},
        {"fchmodat", [&] { return ::syscall(SYS_fchmodat, AT_FDCWD, notes.c_str(), 0); }},
        {"utimensat", [&] { return ::syscall(SYS_utimensat, AT_FDCWD, notes.c_str(), nullptr, 0); }},
        {"setxattr", [&] { return ::syscall(SYS_setxattr, notes.c_str(), "user.probe", "x", 1, 0); }},
        {"mknodat", [&] { return ::syscall(SYS_mknodat, AT_FDCWD, made.c_str(), S_IFIFO | 0600, 0); }},
        {"symlinkat", [&] { return ::syscall(SYS_symlinkat, notes.c_str(), AT_FDCWD, made.c_str()); }},
        {"linkat", [&] { return ::syscall(SYS_linkat, AT_FDCWD, notes.c_str(), AT_FDCWD, made.c_str(), 0); }},
        {"mkdirat", [&] { return ::syscall(SYS_mkdirat, AT_FDCWD, made.c_str(), 0700); }},
        // fstat's call with a path: stat and lstat.
        {"stat-path", [&] {
             struct stat info {};
             return ::syscall(SYS_newfstatat, AT_FDCWD, notes.c_str(), &info, 0);
         }},
        {"lstat-path", [&] {
             struct stat info {};
             return ::syscall(SYS_newfstatat, AT_FDCWD, notes.c_str(), &info, AT_SYMLINK_NOFOLLOW);
         }},
#ifdef SYS_unlink
        {"unlink", [&] { return ::syscall(SYS_unlink, notes.c_str()); }},
        {"rename", [&] { return ::syscall(SYS_rename, notes.c_str(), elsewhere.c_str()); }},
        {"chmod", [&] { return ::syscall(SYS_chmod, notes.c_str(), 0); }},
        {"mknod", [&] { return ::syscall(SYS_mknod, made.c_str(), S_IFIFO | 0600, 0); }},
        {"symlink", [&] { return ::syscall(SYS_symlink, notes.c_str(), made.c_str()); }},
        {"mkdir", [&] { return ::syscall(SYS_mkdir, made.c_str(), 0700); }},
#endif
        // The files it holds open: the photo (read only) and the log (appending).
        {"fchmod-photo", [] { return ::syscall(SYS_fchmod, STDIN_FILENO, 0); }},
        {"ftruncate-log", [] { return ::syscall(SYS_ftruncate, STDERR_FILENO, 0); }},
        {"fallocate-log",
         [] { return ::syscall(SYS_fallocate, STDERR_FILENO, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, 0, 4096); }},
        {"lseek-log", [] { return ::syscall(SYS_lseek, STDERR_FILENO, 0, SEEK_SET); }},
        {"pwrite-log", [] { return ::syscall(SYS_pwrite64, STDERR_FILENO, "x", 1, 0); }},
        {"fcntl-log", [] { return ::syscall(SYS_fcntl, STDERR_FILENO, F_SETFL, 0); }},
        {"ioctl-log", [] {
             const char c = 'x';
             return ::syscall(SYS_ioctl, STDERR_FILENO, TIOCSTI, &c);
         }},
        // Other processes, and new ones.
        {"ptrace-parent", [&] { return ::syscall(SYS_ptrace, PTRACE_SEIZE, parent, 0, 0); }},
        {"read-parent-memory", [&] {
             iovec local{&parentByte, 1}, remote{&parentByte, 1};
             return ::syscall(SYS_process_vm_readv, parent, &local, 1, &remote, 1, 0);
         }},
        {"kill-parent", [&] { return ::syscall(SYS_kill, parent, 0); }},
        {"tgkill-parent", [&] { return ::syscall(SYS_tgkill, parent, parent, 0); }},
        {"pidfd-parent", [&] { return ::syscall(SYS_pidfd_open, parent, 0); }},
        {"socket", [] { return ::syscall(SYS_socket, AF_UNIX, SOCK_STREAM, 0); }},
        {"execve", [] { return ::syscall(SYS_execve, trueArgs[0], trueArgs, environ); }},
        {"fork", [] {
             const long pid = ::syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
             if (pid == 0) ::_exit(0);
             return pid;
         }},
        // posix_spawn's way: a process sharing this one's memory until it execs.
        {"spawn-style-clone", [] {
             static char stack[64 * 1024];
             return long(::clone([](void*) -> int { ::_exit(0); }, stack + sizeof stack,
                                 CLONE_VM | CLONE_VFORK | SIGCHLD, nullptr));
         }},
        {"thread-in-new-user-namespace", [] {
             return ::syscall(SYS_clone, CLONE_VM | CLONE_FS | CLONE_FILES | CLONE_SIGHAND | CLONE_THREAD | CLONE_NEWUSER,
                              0, 0, 0, 0);
         }},
        {"clone3", [] {
             clone_args args{};
             args.exit_signal = SIGCHLD;
             const long pid = ::syscall(SYS_clone3, &args, sizeof args);
             if (pid == 0) ::_exit(0);
             return pid;
         }},
        {"untie-from-parent", [] { return ::syscall(SYS_prctl, PR_SET_PDEATHSIG, 0, 0, 0, 0); }},
        // New machine code.
        {"map-executable", [] {
             return long(::syscall(SYS_mmap, nullptr, 4096, PROT_READ | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
         }},
        {"make-executable", [] {
             void* page = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
             return ::syscall(SYS_mprotect, page, 4096, PROT_READ | PROT_EXEC);
         }},
        // A thread that was already running when the filter went in.
        {"early-thread-unlinkat",
         [&] { return early.Call([&] { return ::syscall(SYS_unlinkat, AT_FDCWD, notes.c_str(), 0); }); }},
#if defined(__x86_64__)
        {"x32-getpid", [] { return ::syscall(__X32_SYSCALL_BIT | SYS_getpid); }},
#endif
        // What decoding needs, so that a probe refusing everything shows.
        {"grow-result", [] { return ::syscall(SYS_ftruncate, fw::DecodeHelper::kResultDescriptor, 4096); }},
        {"map-memory", [] {
             return long(::syscall(SYS_mmap, nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
         }},
        {"thread", [] {
             std::thread([] {}).join();
             return 0L;
         }},
        {"write-reply", [] { return ::syscall(SYS_write, STDOUT_FILENO, "", 0); }},
        {"signal-self", [] { return ::syscall(SYS_tgkill, ::getpid(), ::gettid(), 0); }},
    };
    const auto found = calls.find(call);
    if (found == calls.end()) return 3;
    if (call != "early-thread-unlinkat") early.Call([] { return 0L; });

    decodehelper::DecoderMessages::Capture();
    if (!decodehelper::Sandbox::Enter(fw::PictureDecoder::Format::Jpeg)) return 2;
    const long result = Sys(found->second());
    std::printf("%d\n", result < 0 ? int(-result) : 0);
    std::fflush(stdout);
    ::_exit(result < 0 ? 1 : 0);
}
