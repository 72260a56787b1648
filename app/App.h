#pragma once

#include "framework/core/Application.h"
#include "framework/core/Date.h"
#include "framework/ui/MenuBar.h"

#include <memory>
#include <string>

// The application object; exactly one is registered with the runtime.
class App : public fw::Application {
public:
    // The registered application object, checked to be an App; nil raises.
    static std::shared_ptr<App> Instance();

    void Event_Open() override;
    void Event_OpenDocument(const fw::FolderItemRef& item) override;
    // The logged-in user's name in UTF-8: the short account name or the full name;
    // empty when the system cannot give it.
    std::string UserName(bool useShortName);
    fw::DateRef BuildDate() const override;

    // The application's menu bar. The framework's application object lives in core,
    // below the menus, so the program's own holds it.
    std::shared_ptr<fw::MenuBar> MenuBar;
};

// The moment the application was built; a new Date on every call.
fw::DateRef BuildDate(const fw::Application& app);
