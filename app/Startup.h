#pragma once

#include <functional>
#include <string>

// The program's road from the process entry to the event loop and back out.
int StamporaMain(int argc, char** argv);
void _Main();
void _Startup();
void _InitFileTypes();
void _NewAppInstance();
void _ApplicationAddMenuHandlers();
void _MakeDefaultView();
// Registers the framework's and the plug-ins' classes, then the program's own in
// their fixed order.
void RegisterClasses();
// Releases the program's module-level objects in their fixed order.
void ReleaseModuleObjects();
// Tests watch the release order through this observer (called with each object's
// name right after it was released).
void SetReleaseObserver(std::function<void(const std::string&)> observer);
