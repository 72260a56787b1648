#pragma once

namespace fw {

// SIGTERM, SIGINT and SIGHUP, caught: the handler only records the signal and
// writes a byte into a pipe, which the runtime's event loop watches. Kept apart
// from the runtime so that a wait outside the event loop (a picture decoding in
// its helper process) can watch the same signals without the runtime's widgets.
class TerminationSignal {
public:
    // Installs the handler for the three signals, except one the process was
    // started to ignore; false when the pipe cannot be made. Once is enough.
    static bool Catch();
    // The pipe's read end, readable while a signal is unread; -1 before Catch.
    static int Descriptor();
    // True from the first caught signal on, also after the pipe has been read.
    static bool Arrived();
};

} // namespace fw
