#pragma once

#include "framework/ui/Control.h"

#include <vector>

namespace fw {

// An editable text field with a list of rows to choose from.
class ComboBox : public Control {
public:
    bool AutoComplete = false;
    // Design properties stored as given but not applied: nothing here reads them.
    bool UseFocusRing = true;
    // Typing completes the text from the rows.
    void SetAutoComplete(bool on);

    void SetInitialValue(const std::string& rows);
    void AddRow(const std::string& text);
    int ListCount() const { return static_cast<int>(rows_.size()); }
    std::string List(int row) const;
    // The row that the text names now, -1 when the text names none: a row chosen
    // earlier no longer counts once the user has typed over it.
    int ListIndex() const;
    void SetListIndex(int index);
    std::string Text() const;
    void SetText(const std::string& text);
    // The selection in the text: SetSelStart places the insertion point there,
    // SetSelLength then selects that many characters from it.
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int start);
    void SetSelLength(int length);

    // A row was chosen from the list.
    std::function<void()> Change;
    // The text changed, typed or chosen.
    std::function<void()> TextChanged;
    // A click anywhere in the box, relative to it; true keeps the box from acting on it.
    std::function<bool(int, int)> MouseDown;
    // A key; true keeps the box from acting on it.
    std::function<bool(const std::string&)> KeyDown;

    virtual bool Event_MouseDown(int x, int y) { return MouseDown && MouseDown(x, y); }
    virtual bool Event_KeyDown(const std::string& key) { return KeyDown && KeyDown(key); }
    // The box is about to drop its list down, by any route (the arrow, Alt+Down, F4);
    // a subclass that shows a list of its own in its place answers true.
    virtual bool Event_DropDown() { return false; }

    // Framework: the events as the widget delivers them.
    bool DeliverMouseDown(int x, int y);
    bool DeliverKeyDown(const std::string& key);
    bool DeliverDropDown();

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyDesign() override;
    // The text given before the widget was made.
    const std::string& DesignText() const { return text_; }

private:
    std::vector<std::string> rows_;
    int listIndex_ = -1;
    std::string text_;
};

} // namespace fw
