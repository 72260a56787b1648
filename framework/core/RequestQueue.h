#pragma once

#include <functional>
#include <string>

namespace fw {

// Requests that may take in a picture (an opened document, a drop, a paste) run one
// at a time, never one inside another. A picture decodes while the event loop goes
// on (DecodeHelper.h), so a second request can arrive meanwhile: it waits here, in
// order, and runs once the first has ended. Of the waiting requests that share a
// key, only the newest runs: each would replace what the one before it set.
class RequestQueue {
public:
    // Runs `request` now when nothing runs, nothing is held and nothing waits, and
    // gives true; otherwise it waits behind the others (superseding any waiting one
    // with the same non-empty key) and false is given. A request must not throw:
    // the program's own run inside Runtime::Dispatch. (This class stays free of the
    // runtime, which the decoding helper must not link.)
    static bool Submit(const std::string& key, std::function<void()> request);
    // Runs what waits, in order, unless a request runs or a Hold lives.
    static void Serve();
    // True while a request runs or a Hold lives.
    static bool Busy();
    // How many requests wait.
    static size_t Waiting();

    // While one lives, nothing waiting runs: a decode in progress, or a batch of
    // requests being queued. The last one to go leaves the waiting requests to the
    // event loop, never to whoever happens to be on the stack.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    };
};

} // namespace fw
