#pragma once

#include "framework/core/Date.h"
#include "framework/core/FolderItem.h"

#include <memory>
#include <string>

namespace fw {

// The application object. The program subclasses it and registers one instance
// with the runtime, which raises its events.
class Application {
public:
    // The version fields are those the bundle records.
    Application();
    virtual ~Application() = default;

    // The running executable; tests may point it at a fake bundle.
    FolderItemRef ExecutableFile() const;

    // Version fields, shown by the about box; they come with the bundle.
    std::string ShortVersion;
    int MajorVersion = 0;
    int MinorVersion = 0;
    int BugVersion = 0;
    int NonReleaseVersion = 0;

    // The moment the application was built; nil when the program does not say.
    virtual DateRef BuildDate() const { return nullptr; }

    virtual void Event_Open() {}
    virtual void Event_OpenDocument(const FolderItemRef& /*item*/) {}
};

} // namespace fw
