#pragma once

#include "framework/core/Timer.h"
#include "framework/graphics/Graphics.h"
#include "framework/ui/Listbox.h"
#include "framework/ui/Window.h"

#include <memory>
#include <string>

// The font box's pop-up list: a borderless floating window listing every installed
// font, sorted, each name drawn in its own face where that face can draw it. Popup
// places it under the box against the screen that holds most of it, runs it modally
// and answers the chosen name, or the current one when the list is dismissed. A new
// window serves each use.
class ifkFontComboBoxMenu : public fw::Window {
public:
    // The open list window, or a new one.
    static std::shared_ptr<ifkFontComboBoxMenu> Instance();
    std::string ClassName() const override { return "ifkFontComboBoxMenu"; }

    void Layout() override;
    void CreateControls() override;
    void _CreateControls0();

    std::shared_ptr<fw::Listbox> Listbox1() const { return Find<fw::Listbox>("Listbox1"); }
    fw::TimerRef CloseTimer;

    bool Listbox1_KeyDown(const std::string& key);
    bool Listbox1_CellClick(int row, int column, int x, int y);
    bool Listbox1_CellTextPaint(fw::Graphics& g, int row, int column, int x, int y);
    void CloseTimer_Action();
    void Event_Deactivate() override;
    void Event_Open() override;
    void Event_MouseEnter() override;
    void Event_MouseExit() override;

    // Left, top and width in screen pixels; answers the chosen font name.
    std::string Popup(int left, int top, int width, const std::string& current);

    // The answer Popup gives: the current name until a row is accepted.
    std::string rvalue;

private:
    // The index of the screen that holds the greatest part of the content.
    int isOnScreen();

    // The close timer acts on a press that begins while the list is up, never on the
    // press that opened it and may still be held.
    bool buttonSeenUp_ = false;
};
