#pragma once

#include "framework/core/RuntimeWindow.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fw {

class Application;

// The runtime: initialisation, the class registry, the application object, the
// event loop, unhandled exceptions, quitting and shut-down.
class Runtime {
public:
    // Makes the Qt application when there is none (tests make their own).
    static void RuntimeInit(int& argc, char** argv);
    // The documents named on the command line, as absolute paths, in their order.
    static std::vector<std::string> DocumentArguments();
    // Right after RuntimeInit, before anything of the program's is made: when a copy
    // of the program already runs for this user on this display, hands it the
    // documents (it opens each and comes to the front) and gives this copy's exit
    // status: 0 once they were taken, 1 when that copy did not answer in time.
    // Otherwise this copy becomes the one that later copies hand theirs to.
    static std::optional<int> HandToRunningCopy();
    static void RegisterClass(const std::string& name);
    static const std::vector<std::string>& RegisteredClasses();
    static void RunFrameworkInitialization(const std::function<void()>& startup);
    static void RuntimeInitExternalClasses();
    static void RuntimeRegisterAppObject(std::shared_ptr<Application> app);
    static std::shared_ptr<Application> getAppObject();
    // Raises the application's Open event and one OpenDocument per file named on the
    // command line, then runs the event loop until the application quits.
    static int RuntimeRun();
    // The handler of exceptions that nobody caught: writes them to the debug log.
    static void RuntimeUnhandledException(const std::exception& e);
    static int RuntimeExit();

    // Runs an event handler of the program; no exception ever unwinds into Qt.
    static void Dispatch(const std::function<void()>& handler);
    template <typename T>
    static T DispatchResult(const std::function<T()>& handler, T fallback) {
        T result = fallback;
        Dispatch([&] { result = handler(); });
        return result;
    }

    // Asks the application to quit: soon, each open window is asked to close with
    // appQuitting true; one that cancels stops the quit. A quit asked for while one
    // is pending or under way is ignored, so a window that asks again while closing
    // neither loops nor stops it.
    static void Quit();
    // SIGTERM, SIGINT and SIGHUP end the event loop at once, without asking the
    // windows (none can cancel), so that shut-down runs as after any quit. RuntimeRun
    // sets this up; a signal the process was started to ignore stays ignored.
    static void EndOnTerminationSignals();
    static bool Quitting();
    static bool HasQuit();          // the quit went through and the loop was told to end
    static void ResetQuitState();   // tests

    // Open windows, in the order they were opened.
    static void AddWindow(const std::shared_ptr<RuntimeWindow>& window);
    static std::vector<std::shared_ptr<RuntimeWindow>> Windows();
    // The open implicit instance of a window class, found by its class name.
    static std::shared_ptr<RuntimeWindow> ImplicitInstance(const std::string& className);
    // Releases the framework's own module-level lists, windows first.
    static void ReleaseFrameworkLists();
};

} // namespace fw
