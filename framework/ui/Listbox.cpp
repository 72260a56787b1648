#include "framework/ui/Listbox.h"

#include "framework/core/Runtime.h"
#include "framework/graphics/Picture.h"
#include "framework/ui/Canvas.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <algorithm>

namespace fw {

namespace {

constexpr int kTextInset = 4;

class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(Listbox* owner, QObject* parent) : QStyledItemDelegate(parent), owner_(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        owner_->PaintCell(*painter, option, index.row());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), owner_->DefaultRowHeight};
    }

private:
    Listbox* owner_;
};

class ListWidget : public QListWidget {
public:
    ListWidget(Listbox* owner, QWidget* parent) : QListWidget(parent), owner_(owner) {}

    // The border lies over the rows' outermost pixels instead of around them, so that
    // a box exactly as high as its rows shows every one of them without scrolling.
    void SetBorder(bool on) {
        setFrameShape(QFrame::NoFrame);
        delete border_;
        if (!on) return;
        border_ = new QFrame(this);
        border_->setFrameShape(QFrame::StyledPanel);
        border_->setAttribute(Qt::WA_TransparentForMouseEvents);
        border_->setGeometry(rect());
        border_->raise();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QListWidget::resizeEvent(event);
        if (border_) border_->setGeometry(rect());
    }

    // Qt makes the first row current, unselected, as the list takes the focus, and the
    // first Down would then go on to the second row. With no row selected none is
    // current, so that Down selects the first.
    void focusInEvent(QFocusEvent* event) override {
        QListWidget::focusInEvent(event);
        if (selectedItems().isEmpty())
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }

    void keyPressEvent(QKeyEvent* event) override {
        const std::string key = KeyTextFor(event->key(), event->text().toStdString());
        if (!key.empty() && owner_->DeliverKeyDown(key)) return;
        QListWidget::keyPressEvent(event);
    }

    void mousePressEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        const QModelIndex index = indexAt(p);
        if (event->button() == Qt::LeftButton && index.isValid()) {
            const QRect cell = visualRect(index);
            if (owner_->DeliverCellClick(index.row(), p.x() - cell.x(), p.y() - cell.y())) return;
        }
        QListWidget::mousePressEvent(event);
    }

private:
    Listbox* owner_;
    QPointer<QFrame> border_;
};

QListWidget* ListWidgetOf(const QPointer<QWidget>& w) { return static_cast<QListWidget*>(w.data()); }

} // namespace

void Listbox::AddRow(const std::string& text) {
    rows_.push_back(text);
    if (widget_) {
        const QSignalBlocker blocker(widget_);
        ListWidgetOf(widget_)->addItem(QString::fromStdString(text));
    }
}

void Listbox::DeleteAllRows() {
    rows_.clear();
    listIndex_ = -1;
    ShowRows();
}

std::string Listbox::List(int row) const {
    if (row < 0 || row >= ListCount()) return {};
    return rows_[static_cast<size_t>(row)];
}

void Listbox::SetListIndex(int row) {
    listIndex_ = (row >= 0 && row < ListCount()) ? row : -1;
    if (!widget_) return;
    const QSignalBlocker blocker(widget_);
    auto* list = ListWidgetOf(widget_);
    list->setCurrentRow(listIndex_);
    if (listIndex_ < 0) list->clearSelection();
    else list->scrollToItem(list->item(listIndex_), QAbstractItemView::PositionAtCenter);
}

void Listbox::Sort() {
    if (SortedColumn != 0) return;
    std::stable_sort(rows_.begin(), rows_.end(), [](const std::string& a, const std::string& b) {
        return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) < 0;
    });
    listIndex_ = -1;
    ShowRows();
}

bool Listbox::DeliverKeyDown(const std::string& key) {
    bool result = false;
    if (KeyDown) Runtime::Dispatch([&] { result = KeyDown(key); });
    return result;
}

bool Listbox::DeliverCellClick(int row, int x, int y) {
    bool result = false;
    if (CellClick) Runtime::Dispatch([&] { result = CellClick(row, 0, x, y); });
    return result;
}

void Listbox::PaintCell(QPainter& painter, const QStyleOptionViewItem& option, int row) {
    const QRect cell = option.rect;
    if (cell.width() <= 0 || cell.height() <= 0) return;
    // Each cell is drawn into a picture of its own, so that the handler draws with
    // the framework's Graphics like everywhere else.
    Picture picture(cell.width(), cell.height(), 32);
    Graphics& g = picture.GetGraphics();
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    g.ForeColor = Color::FromQColor(selected ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base));
    g.FillRect(0, 0, cell.width(), cell.height());
    g.ForeColor = Color::FromQColor(selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
    g.TextFont = TextFont;
    g.TextSize = TextSize;
    g.Bold = Bold;
    g.Italic = Italic;
    g.Underline = Underline;
    const int x = kTextInset;
    const int y = (cell.height() + g.TextAscent()) / 2 - 1;
    bool handled = false;
    if (CellTextPaint) Runtime::Dispatch([&] { handled = CellTextPaint(g, row, 0, x, y); });
    if (!handled) g.DrawString(List(row), x, y);
    painter.drawImage(cell.topLeft(), picture.Image());
}

void Listbox::ShowRows() {
    if (!widget_) return;
    const QSignalBlocker blocker(widget_);
    auto* list = ListWidgetOf(widget_);
    list->clear();
    for (const auto& row : rows_) list->addItem(QString::fromStdString(row));
    list->setCurrentRow(listIndex_);
}

QWidget* Listbox::CreateWidget(QWidget* parent) {
    auto* list = new ListWidget(this, parent);
    list->setItemDelegate(new CellDelegate(this, list));
    // The selected row, not the current one: focus alone makes a row current.
    QObject::connect(list, &QListWidget::itemSelectionChanged, list, [this, list] {
        const auto selected = list->selectedItems();
        SelectionChanged(selected.isEmpty() ? -1 : list->row(selected.first()));
    });
    return list;
}

void Listbox::ApplyDesign() {
    Control::ApplyDesign();
    auto* list = ListWidgetOf(widget_);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    static_cast<ListWidget*>(list)->SetBorder(Border);
    const auto policy = [this](bool on) {
        return !on ? Qt::ScrollBarAlwaysOff : AutoHideScrollbars ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
    };
    list->setVerticalScrollBarPolicy(policy(ScrollBarVertical));
    list->setHorizontalScrollBarPolicy(policy(ScrollbarHorizontal));
    list->setFocusPolicy(TabStop ? Qt::StrongFocus : Qt::ClickFocus);
    ShowRows();
}

} // namespace fw
