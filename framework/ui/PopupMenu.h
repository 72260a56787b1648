#pragma once

#include "framework/ui/Control.h"

#include <optional>
#include <vector>

namespace fw {

// A pop-up list of rows, each with an optional tag.
class PopupMenu : public Control {
public:
    // Rows given at design time as one text, separated by carriage returns.
    void SetInitialValue(const std::string& rows);
    void AddRow(const std::string& text);
    int ListCount() const { return static_cast<int>(rows_.size()); }
    std::string List(int row) const;
    std::optional<std::string> RowTag(int row) const;
    void SetRowTag(int row, const std::string& tag);
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int index);
    std::string Text() const { return List(listIndex_); }

    std::function<void()> Change;
    // True consumes the click: the control's own list does not open.
    std::function<bool(int, int)> MouseDown;
    bool DeliverMouseDown(int x, int y);

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyDesign() override;

private:
    struct Row {
        std::string text;
        std::optional<std::string> tag;
    };
    std::vector<Row> rows_;
    int listIndex_ = -1;
};

} // namespace fw
