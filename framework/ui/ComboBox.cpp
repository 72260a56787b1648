#include "framework/ui/ComboBox.h"

#include "framework/core/Runtime.h"
#include "framework/core/TextFunctions.h"
#include "framework/ui/Canvas.h"

#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <algorithm>

namespace fw {

namespace {

QComboBox* Combo(const QPointer<QWidget>& w) { return static_cast<QComboBox*>(w.data()); }

// Clicks and keys reach the box's events first, wherever they land in it: on the
// arrow (the combo box itself) or in the text (its line edit).
class ComboWidget : public QComboBox {
public:
    ComboWidget(ComboBox* owner, QWidget* parent) : QComboBox(parent), owner_(owner) {
        setEditable(true);
        lineEdit()->installEventFilter(this);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (!TakeMouse(event, this)) QComboBox::mousePressEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (TakeKey(event)) return;
        // Return leaves the text as it stands and goes on to the window's default
        // button; Qt's line edit would keep it to accept the completion shown.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) return event->ignore();
        QComboBox::keyPressEvent(event);
    }

    // Every way into the drop-down ends here, so a box with a list of its own never
    // shows Qt's.
    void showPopup() override {
        if (!owner_->DeliverDropDown()) QComboBox::showPopup();
    }

    // A wheel turned while the pointer passes over the box must not change the
    // user's choice behind their back; the window gets it instead.
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress)
            return TakeMouse(static_cast<QMouseEvent*>(event), lineEdit());
        if (watched == lineEdit() && event->type() == QEvent::KeyPress)
            return TakeKey(static_cast<QKeyEvent*>(event));
        return QComboBox::eventFilter(watched, event);
    }

private:
    bool TakeMouse(QMouseEvent* event, QWidget* from) {
        if (event->button() != Qt::LeftButton) return false;
        const QPoint p = from->mapTo(this, event->position().toPoint());
        return owner_->DeliverMouseDown(p.x(), p.y());
    }

    bool TakeKey(QKeyEvent* event) {
        const std::string key = KeyTextFor(event->key(), event->text().toStdString());
        return !key.empty() && owner_->DeliverKeyDown(key);
    }

    ComboBox* owner_;
};

} // namespace

void ComboBox::SetInitialValue(const std::string& rows) {
    for (const auto& row : SplitRows(rows)) AddRow(row);
}

void ComboBox::AddRow(const std::string& text) {
    rows_.push_back(text);
    if (widget_) {
        const QSignalBlocker blocker(widget_);
        Combo(widget_)->addItem(QString::fromStdString(text));
    }
}

std::string ComboBox::List(int row) const {
    if (row < 0 || row >= ListCount()) return {};
    return rows_[static_cast<size_t>(row)];
}

int ComboBox::ListIndex() const {
    // Qt keeps the current row while the user types something else.
    const std::string text = Text();
    const int current = widget_ ? Combo(widget_)->currentIndex() : listIndex_;
    if (current >= 0 && List(current) == text) return current;
    const auto named = std::find(rows_.begin(), rows_.end(), text);
    return named == rows_.end() ? -1 : static_cast<int>(named - rows_.begin());
}

void ComboBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) return;
    listIndex_ = index;
    if (index >= 0) text_ = rows_[static_cast<size_t>(index)];
    if (widget_) Combo(widget_)->setCurrentIndex(index);
}

std::string ComboBox::Text() const {
    return widget_ ? Combo(widget_)->currentText().toStdString() : text_;
}

void ComboBox::SetText(const std::string& text) {
    text_ = text;
    if (widget_) Combo(widget_)->setEditText(QString::fromStdString(text));
}

void ComboBox::SetAutoComplete(bool on) {
    AutoComplete = on;
    if (!widget_) return;
    auto* combo = Combo(widget_);
    if (!on) combo->setCompleter(nullptr);
    else if (!combo->completer()) {
        auto* completer = new QCompleter(combo->model(), combo);
        completer->setCompletionMode(QCompleter::InlineCompletion);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        combo->setCompleter(completer);
    }
}

int ComboBox::SelStart() const {
    if (!widget_) return 0;
    const QLineEdit* line = Combo(widget_)->lineEdit();
    return line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
}

int ComboBox::SelLength() const {
    return widget_ ? static_cast<int>(Combo(widget_)->lineEdit()->selectedText().size()) : 0;
}

void ComboBox::SetSelStart(int start) {
    if (widget_) Combo(widget_)->lineEdit()->setCursorPosition(start);
}

void ComboBox::SetSelLength(int length) {
    if (!widget_) return;
    QLineEdit* line = Combo(widget_)->lineEdit();
    line->setSelection(SelStart(), length);
}

bool ComboBox::DeliverMouseDown(int x, int y) {
    return Runtime::DispatchResult<bool>([&] { return Event_MouseDown(x, y); }, false);
}

bool ComboBox::DeliverKeyDown(const std::string& key) {
    return Runtime::DispatchResult<bool>([&] { return Event_KeyDown(key); }, false);
}

bool ComboBox::DeliverDropDown() {
    // A subclass whose own list failed still owns the drop-down: Qt's would show the
    // wrong list.
    return Runtime::DispatchResult<bool>([&] { return Event_DropDown(); }, true);
}

QWidget* ComboBox::CreateWidget(QWidget* parent) {
    auto* combo = new ComboWidget(this, parent);
    combo->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(combo, &QComboBox::activated, combo, [this](int) {
        if (Change) Runtime::Dispatch(Change);
    });
    QObject::connect(combo, &QComboBox::editTextChanged, combo, [this](const QString&) {
        if (TextChanged) Runtime::Dispatch(TextChanged);
    });
    return combo;
}

void ComboBox::ApplyDesign() {
    Control::ApplyDesign();
    auto* combo = Combo(widget_);
    combo->clear();
    for (const auto& row : rows_) combo->addItem(QString::fromStdString(row));
    combo->setCurrentIndex(listIndex_);
    combo->setEditText(QString::fromStdString(text_));
    SetAutoComplete(AutoComplete);
    combo->setFocusPolicy(Qt::StrongFocus);
}

} // namespace fw
