#pragma once

#include <functional>
#include <string>
#include <vector>

namespace fw {

// One copy of the program per user and display. The first copy listens on a local
// socket in the user's private temporary folder, named after the display; a later
// copy hands it the documents it was started with and ends. The virtual displays
// (offscreen, minimal) are nobody's screen: every copy there stands alone.
class SingleInstance {
public:
    enum class Outcome {
        First,       // no copy answers here: this one now listens (or stands alone)
        HandedOver,  // a running copy took the documents
        NoAnswer,    // a running copy was found but did not take them all in time,
                     // or was too busy to be reached; the reason is in the debug log
    };
    using Receiver = std::function<void(const std::vector<std::string>& paths)>;

    // Looks for the running copy of this user on this display and hands it the
    // documents' absolute paths; otherwise starts listening, and `receiver` gets each
    // later copy's paths, in their order, from the event loop; a long list arrives in
    // several calls. Bounded in time: a copy that is stuck is never waited for longer
    // than a few seconds at each step. Paths are bytes and any byte but NUL passes.
    static Outcome Claim(const std::vector<std::string>& paths, Receiver receiver);
    // The same at a given socket path (a file name, as bytes); Claim finds it in the
    // private temporary folder. Tests claim here without a display.
    static Outcome ClaimAt(const std::string& socketPath, const std::vector<std::string>& paths, Receiver receiver);
    // Stops listening and removes the socket, so that a copy started during
    // shut-down becomes the first instead of talking to one that is ending.
    static void Release();
    // The socket's name for the given platform and display variable; empty where
    // the platform has no shared display.
    static std::string SocketName(const std::string& platform, const std::string& display);

    // What the listening copy holds now of unfinished messages, in bytes: bounded
    // whatever the later starts send, and nothing once they have gone. For tests.
    static size_t BufferedBytes();
};

} // namespace fw
