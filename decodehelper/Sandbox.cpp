#include "decodehelper/Sandbox.h"

#include "framework/graphics/DecodeHelper.h"

#include <bit>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <initializer_list>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/sched.h>
#include <linux/seccomp.h>
#include <string>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

#if defined(__x86_64__)
#define STAMPORA_AUDIT_ARCH AUDIT_ARCH_X86_64
#elif defined(__aarch64__)
#define STAMPORA_AUDIT_ARCH AUDIT_ARCH_AARCH64
#else
#error "the decode helper's system call filter knows x86-64 and AArch64 only"
#endif

namespace decodehelper {

namespace {

using fw::DecodeHelper;
using fw::PictureDecoder;

int64_t AddressSpaceBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0) return std::stoll(line.substr(7)) * 1024;
    return 0;
}

void Limit(int resource, rlim_t soft, rlim_t hard) {
    const rlimit limit{soft, hard};
    ::setrlimit(resource, &limit);
}

constexpr rlim_t kDescriptorsLimit = 64;

constexpr uint32_t kAllow = SECCOMP_RET_ALLOW;
constexpr uint32_t kRefuse = SECCOMP_RET_ERRNO | EPERM;
// For a call whose older form glibc falls back to, and whose arguments the filter
// can then read (clone3 passes its flags in memory, clone in a register).
constexpr uint32_t kAbsent = SECCOMP_RET_ERRNO | ENOSYS;
// Only for what no library of ours ever does: another architecture's calls.
constexpr uint32_t kKill = SECCOMP_RET_KILL_PROCESS;

using Program = std::vector<sock_filter>;

// Every argument checked here is an int or flags the kernel reads as 32 bits, so the
// low half of the 64-bit slot is the whole of it.
static_assert(std::endian::native == std::endian::little, "arguments' low halves come first");
constexpr uint32_t ArgLow(int index) { return uint32_t(offsetof(seccomp_data, args) + 8 * index); }

sock_filter Load(uint32_t offset) { return BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offset); }
sock_filter Return(uint32_t action) { return BPF_STMT(BPF_RET | BPF_K, action); }

// The checks of one call's arguments; each block ends in a return.
Program ArgumentIn(int index, std::initializer_list<uint32_t> values) {
    Program p{Load(ArgLow(index))};
    for (const uint32_t v : values) {
        p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, v, 0, 1));
        p.push_back(Return(kAllow));
    }
    p.push_back(Return(kRefuse));
    return p;
}

Program ArgumentLacks(int index, uint32_t bits) {
    return {Load(ArgLow(index)), BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, bits, 0, 1), Return(kRefuse),
            Return(kAllow)};
}

Program ArgumentHas(int index, uint32_t bits) {
    return {Load(ArgLow(index)), BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, bits, 1, 0), Return(kRefuse),
            Return(kAllow)};
}

// A new thread of this process, nothing else: a fork, or a thread in namespaces of
// its own, is refused.
Program ThreadOnly() {
    constexpr uint32_t thread = CLONE_VM | CLONE_SIGHAND | CLONE_THREAD;
    constexpr uint32_t namespaces = CLONE_NEWNS | CLONE_NEWCGROUP | CLONE_NEWUTS | CLONE_NEWIPC | CLONE_NEWUSER |
                                    CLONE_NEWPID | CLONE_NEWNET;
    return {Load(ArgLow(0)),
            BPF_STMT(BPF_ALU | BPF_AND | BPF_K, thread | namespaces),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, thread, 0, 1),
            Return(kAllow),
            Return(kRefuse)};
}

// The calls allowed whatever their arguments. They were found by tracing the helper
// (plain and under the sanitizers) over every picture type and the hostile and fuzz
// pictures, and keeping what ran after the filter; the few calls of the same kind
// that a decoder may make on another path (a spin lock's yield, a clock without
// its fast path) are here too. None of them takes a path or acts on another process.
constexpr uint32_t kPlainCalls[] = {
    // memory (mmap and mprotect are checked below)
    __NR_brk, __NR_munmap, __NR_mremap, __NR_madvise,
    // threads and their locks; the sanitizers' runtime checks memory through a pipe
    __NR_futex, __NR_set_robust_list, __NR_rseq, __NR_sched_yield, __NR_sched_getaffinity, __NR_gettid,
    __NR_getpid, __NR_exit, __NR_exit_group, __NR_pipe2,
    // signals within the process (tgkill is checked below)
    __NR_rt_sigaction, __NR_rt_sigprocmask, __NR_rt_sigreturn, __NR_sigaltstack, __NR_restart_syscall,
    // the descriptors it holds: its input, reply, standard error, result, and the
    // wake-up descriptors of Qt's worker threads. No seek: standard error may be a
    // log file opened without append, whose start a seek and a write would overwrite.
    __NR_read, __NR_pread64, __NR_readv, __NR_write, __NR_writev, __NR_close, __NR_eventfd2,
#ifdef __NR_fstat
    __NR_fstat,
#endif
    // clocks, sleeping, and what a decoder reads of its own use and of the machine
    __NR_clock_gettime, __NR_clock_getres, __NR_gettimeofday, __NR_clock_nanosleep, __NR_nanosleep,
#ifdef __NR_time
    __NR_time,
#endif
    __NR_getrusage, __NR_times, __NR_sysinfo, __NR_getrandom,
};

Program AllowList() {
    Program p = {
        Load(offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, STAMPORA_AUDIT_ARCH, 1, 0),
        Return(kKill),
        Load(offsetof(seccomp_data, nr)),
#if defined(__x86_64__)
        // The x32 numbering of the same calls.
        BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, __X32_SYSCALL_BIT, 0, 1),
        Return(kKill),
#endif
    };
    for (const uint32_t call : kPlainCalls) {
        p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, call, 0, 1));
        p.push_back(Return(kAllow));
    }
    const auto checked = [&p](uint32_t call, const Program& check) {
        p.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, call, 0, uint8_t(check.size())));
        p.insert(p.end(), check.begin(), check.end());
    };
    // No new machine code: nothing that decodes here compiles any.
    checked(__NR_mmap, ArgumentLacks(2, PROT_EXEC));
    checked(__NR_mprotect, ArgumentLacks(2, PROT_EXEC));
    checked(__NR_clone, ThreadOnly());
    checked(__NR_clone3, {Return(kAbsent)});
    // Only the result grows; standard error may be the user's log file.
    checked(__NR_ftruncate, ArgumentIn(0, {uint32_t(DecodeHelper::kResultDescriptor)}));
    // glibc's fstat. The path a caller could give with it only reads a file's size
    // and times, which stay in the process.
    checked(__NR_newfstatat, ArgumentHas(3, AT_EMPTY_PATH));
    // Qt names its worker threads.
    checked(__NR_prctl, ArgumentIn(0, {PR_SET_NAME, PR_GET_NAME}));
    // abort() and raise() signal the calling thread through its process.
    checked(__NR_tgkill, ArgumentIn(0, {uint32_t(::getpid())}));
    p.push_back(Return(kRefuse));
    return p;
}

bool InstallFilter() {
    Program program = AllowList();
    const sock_fprog filter{static_cast<unsigned short>(program.size()), program.data()};
    // On every thread of the process, or on none.
    return ::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC, &filter) == 0;
}

} // namespace

bool Sandbox::Enter(PictureDecoder::Format format) {
    // The helper dies with the program, whatever ends it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    Limit(RLIMIT_CORE, 0, 0);
    // Relative to what the process holds once its libraries are mapped: the same
    // allowance whether or not a sanitizer has reserved its shadow memory.
    const auto space = rlim_t(AddressSpaceBytes() + DecodeHelper::kAddressAllowance);
    Limit(RLIMIT_AS, space, space);
    Limit(RLIMIT_CPU, DecodeHelper::kCpuSeconds, DecodeHelper::kCpuSeconds + 1);
    // The result memfd is the one file it writes.
    const auto result = rlim_t(fw::Picture::PixelLimit()) * 4;
    Limit(RLIMIT_FSIZE, result, result);
    PictureDecoder::Prepare(format);
    // Nothing but its input, its reply pipe, standard error and the result stays
    // open. Qt's worker threads (smooth scaling) each need a descriptor or two to
    // wake their event dispatcher, hence the few numbers left free.
    ::syscall(SYS_close_range, DecodeHelper::kResultDescriptor + 1, ~0U, 0);
    Limit(RLIMIT_NOFILE, kDescriptorsLimit, kDescriptorsLimit);
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return false;
    return InstallFilter();
}

} // namespace decodehelper
