#include "framework/core/Runtime.h"

#include "framework/core/Application.h"
#include "framework/core/FileNames.h"
#include "framework/core/FolderItem.h"
#include "framework/core/RequestQueue.h"
#include "framework/core/SingleInstance.h"
#include "framework/core/System.h"
#include "framework/core/TerminationSignal.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <typeinfo>
#include <unistd.h>

namespace fw {

namespace {

struct RuntimeState {
    std::unique_ptr<QApplication> ownedApp;
    // The arguments as the program got them, Qt's own options taken out: file names
    // are bytes, which QCoreApplication::arguments() would turn into text for good.
    std::optional<std::vector<std::string>> arguments;
    std::vector<std::string> classes;
    std::shared_ptr<Application> app;
    std::vector<std::shared_ptr<RuntimeWindow>> windows;
    bool quitPending = false;
    bool quitting = false;
    bool hasQuit = false;
};

RuntimeState& State() {
    // Never destroyed: its windows must not outlive the Qt application at exit.
    static auto* state = new RuntimeState;
    return *state;
}

void PerformQuit() {
    auto& s = State();
    s.quitPending = false;
    s.quitting = true;
    // Whatever happens in the windows' handlers, a later quit must still be possible.
    struct Reset {
        ~Reset() { State().quitting = false; }
    } reset;
    // Copy: closing a window takes it out of the list.
    for (const auto& window : Runtime::Windows()) {
        if (!window->IsOpen()) continue;
        if (!window->CloseForQuit()) return;
    }
    s.hasQuit = true;
    QCoreApplication::quit();
}

// Each path arrives as an open-document event, in order. What the program queues
// for them runs only once all have arrived, so that a start naming many files can
// have the newest supersede the others instead of taking each in turn.
void OpenDocuments(Application& app, const std::vector<std::string>& paths) {
    {
        const RequestQueue::Hold batch;
        for (const auto& path : paths) {
            auto item = FolderItem::FromPath(path);
            Runtime::Dispatch([&] { app.Event_OpenDocument(item); });
        }
    }
    RequestQueue::Serve();
}

void EndNow() {
    auto& s = State();
    s.quitPending = false;
    s.hasQuit = true;
    // exit, not quit: quit would offer each window a close, which the program may
    // cancel.
    QCoreApplication::exit(0);
}

} // namespace

void Runtime::EndOnTerminationSignals() {
    static QPointer<QSocketNotifier> notifier;
    if (notifier || !QCoreApplication::instance()) return;
    if (!TerminationSignal::Catch()) return;
    const int fd = TerminationSignal::Descriptor();
    notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [fd] {
        char bytes[64];
        while (::read(fd, bytes, sizeof bytes) > 0) {
        }
        Dispatch(EndNow);
    });
}

void Runtime::RuntimeInit(int& argc, char** argv) {
    if (QCoreApplication::instance()) return;
    State().ownedApp = std::make_unique<QApplication>(argc, argv);
    // QApplication has taken its own options out of argv.
    State().arguments.emplace(argv, argv + argc);
}

std::vector<std::string> Runtime::DocumentArguments() {
    // The platform's start-up code keeps the arguments; what is not an option names a
    // document.
    std::vector<std::string> args;
    if (State().arguments) {
        args = *State().arguments;
    } else {
        for (const QString& arg : QCoreApplication::arguments()) args.push_back(FileNames::Bytes(arg));
    }
    std::string folder;
    if (char* cwd = ::getcwd(nullptr, 0)) folder = cwd, std::free(cwd);
    std::vector<std::string> paths;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg.front() == '-') continue;
        paths.push_back(arg.front() == '/' || folder.empty() ? arg : folder + "/" + arg);
    }
    return paths;
}

std::optional<int> Runtime::HandToRunningCopy() {
    const auto outcome = SingleInstance::Claim(DocumentArguments(), [](const std::vector<std::string>& paths) {
        auto app = State().app;
        if (!app) return;
        OpenDocuments(*app, paths);
        // The window start-up made first is the program's own.
        for (const auto& window : State().windows)
            if (window->IsOpen()) return Dispatch([&] { window->BringToFront(); });
    });
    switch (outcome) {
    case SingleInstance::Outcome::First: return std::nullopt;
    case SingleInstance::Outcome::HandedOver: return 0;
    case SingleInstance::Outcome::NoAnswer: break;
    }
    // The hand-over has logged why.
    return 1;
}

void Runtime::RegisterClass(const std::string& name) { State().classes.push_back(name); }

const std::vector<std::string>& Runtime::RegisteredClasses() { return State().classes; }

void Runtime::RunFrameworkInitialization(const std::function<void()>& startup) {
    // Qt is ready once the application object exists; start-up runs once, now.
    if (startup) startup();
}

void Runtime::RuntimeInitExternalClasses() {
    // The framework's external classes are plain C++ here: nothing to prepare.
}

void Runtime::RuntimeRegisterAppObject(std::shared_ptr<Application> app) {
    State().app = std::move(app);
}

std::shared_ptr<Application> Runtime::getAppObject() { return State().app; }

int Runtime::RuntimeRun() {
    EndOnTerminationSignals();
    auto app = State().app;
    if (app) {
        Dispatch([&] { app->Event_Open(); });
        // Files named on the command line arrive after the main window has opened.
        OpenDocuments(*app, DocumentArguments());
    }
    const int status = State().hasQuit ? 0 : QCoreApplication::exec();
    // A copy started from here on must not hand its documents to one that is ending.
    SingleInstance::Release();
    return status;
}

void Runtime::RuntimeUnhandledException(const std::exception& e) {
    System::DebugLog(std::string("Unhandled exception: ") + typeid(e).name() + ": " + e.what());
}

int Runtime::RuntimeExit() {
    State().app.reset();
    State().ownedApp.reset();
    return 0;
}

void Runtime::Dispatch(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        RuntimeUnhandledException(e);
    } catch (...) {
        RuntimeUnhandledException(std::runtime_error("unknown exception"));
    }
}

void Runtime::Quit() {
    auto& s = State();
    if (s.quitPending || s.quitting || s.hasQuit) return;
    s.quitPending = true;
    QTimer::singleShot(0, [] { Dispatch(PerformQuit); });
}

bool Runtime::Quitting() { return State().quitting || State().quitPending; }
bool Runtime::HasQuit() { return State().hasQuit; }

void Runtime::ResetQuitState() {
    auto& s = State();
    s.quitPending = s.quitting = s.hasQuit = false;
}

void Runtime::AddWindow(const std::shared_ptr<RuntimeWindow>& window) {
    auto& w = State().windows;
    // Closed windows leave the list here; whoever still holds one keeps it.
    w.erase(std::remove_if(w.begin(), w.end(), [](const auto& p) { return !p->IsOpen(); }), w.end());
    if (std::find(w.begin(), w.end(), window) == w.end()) w.push_back(window);
}

std::vector<std::shared_ptr<RuntimeWindow>> Runtime::Windows() { return State().windows; }

std::shared_ptr<RuntimeWindow> Runtime::ImplicitInstance(const std::string& className) {
    for (const auto& window : State().windows)
        if (window->IsOpen() && window->ClassName() == className) return window;
    return nullptr;
}

void Runtime::ReleaseFrameworkLists() {
    auto windows = std::move(State().windows);
    State().windows.clear();
    for (auto& w : windows) w->DestroyWidget();
    windows.clear();
}

} // namespace fw
