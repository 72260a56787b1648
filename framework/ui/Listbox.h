#pragma once

#include "framework/graphics/Graphics.h"
#include "framework/ui/Control.h"

#include <vector>

class QPainter;
class QStyleOptionViewItem;

namespace fw {

// A list of one-column rows, one of which may be selected. Each row's text is drawn
// through CellTextPaint, which may change the graphics' text settings (or draw the
// cell itself and return true).
class Listbox : public Control {
public:
    int DefaultRowHeight = 18;
    bool Border = true;
    bool ScrollBarVertical = true;
    bool ScrollbarHorizontal = false;
    bool AutoHideScrollbars = true;
    // The column the rows are sorted on by Sort; -1 for none.
    int SortedColumn = -1;

    void AddRow(const std::string& text);
    void DeleteAllRows();
    int ListCount() const { return static_cast<int>(rows_.size()); }
    // The text of the row; empty outside 0 to ListCount - 1.
    std::string List(int row) const;
    // The selected row, -1 when none.
    int ListIndex() const { return listIndex_; }
    // Selects the row; -1 (or a row outside the list) selects none.
    void SetListIndex(int row);
    // The selected row's text; empty when none is selected.
    std::string Text() const { return List(listIndex_); }
    // Sorts the rows on SortedColumn, by text without regard to case; the selection
    // is cleared.
    void Sort();

    std::function<bool(const std::string&)> KeyDown;
    std::function<bool(int row, int column, int x, int y)> CellClick;
    std::function<bool(Graphics& g, int row, int column, int x, int y)> CellTextPaint;

    // Framework: the events as the widget delivers them.
    bool DeliverKeyDown(const std::string& key);
    bool DeliverCellClick(int row, int x, int y);
    void PaintCell(QPainter& painter, const QStyleOptionViewItem& option, int row);
    void SelectionChanged(int row) { listIndex_ = row; }

protected:
    QWidget* CreateWidget(QWidget* parent) override;
    void ApplyDesign() override;

private:
    void ShowRows();

    std::vector<std::string> rows_;
    int listIndex_ = -1;
};

} // namespace fw
