#include "framework/core/TerminationSignal.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace fw {

namespace {

int signalPipe[2] = {-1, -1};
volatile sig_atomic_t arrived = 0;

extern "C" void OnTerminationSignal(int) {
    const int saved = errno;
    arrived = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

bool TerminationSignal::Catch() {
    if (signalPipe[0] >= 0) return true;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        ::sigaction(signal, &action, nullptr);
    }
    return true;
}

int TerminationSignal::Descriptor() { return signalPipe[0]; }

bool TerminationSignal::Arrived() { return arrived != 0; }

} // namespace fw
