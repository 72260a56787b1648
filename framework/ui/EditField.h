#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/ui/Control.h"

namespace fw {

// A one-line text field.
class EditField : public Control {
public:
    bool Border = true;
    bool Password = false;
    bool ReadOnly = false;
    Color TextColor = 0x000000;
    Color BackColor = 0xFFFFFF;
    int LimitText = 0;
    static constexpr int AlignDefault = 0;
    static constexpr int AlignLeft = 1;
    static constexpr int AlignCenter = 2;
    static constexpr int AlignRight = 3;
    int Alignment = AlignDefault;
    // Design properties stored as given but not applied: nothing here reads them.
    bool Multiline = false;
    bool ScrollbarHorizontal = false;
    bool ScrollbarVertical = false;
    bool Styled = false;
    bool UseFocusRing = true;
    bool AcceptTabs = false;
    std::string Format;
    std::string Mask;
    std::string DataSource;
    std::string DataField;

    std::string Text() const;
    void SetText(const std::string& text);
    int SelStart() const;
    int SelLength() const;
    void SetSelection(int start, int length);
    void SelectAll();

    std::function<void()> TextChange;

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyDesign() override;
    bool BuiltInMenuCommand(const std::string& name) override;

private:
    std::string pendingText_;
};

} // namespace fw
