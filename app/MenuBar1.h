#pragma once

#include "framework/ui/MenuBar.h"

#include <memory>

// The application's one menu bar, shared by the application object and the main
// window: File, Edit, Window and Help.
class MenuBar1 : public fw::MenuBar {
public:
    // The shared instance, made on the first call.
    static std::shared_ptr<MenuBar1> Instance();
    static void Release();

    void Constructor();
    void Untitled0();   // File
    void Untitled1();   // Edit
    void Untitled2();   // Window
    void Untitled3();   // Help

    static std::shared_ptr<MenuBar1> _implicitInstance;
};
