#include "framework/ComboBox.h"

#include "framework/Runtime.h"

#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QSignalBlocker>

namespace fw {

namespace {
QComboBox* Combo(const QPointer<QWidget>& w) { return static_cast<QComboBox*>(w.data()); }
} // namespace

void ComboBox::SetInitialValue(const std::string& rows) {
    std::string row;
    for (char c : rows) {
        if (c == '\r' || c == '\n') {
            AddRow(row);
            row.clear();
        } else {
            row.push_back(c);
        }
    }
    if (!row.empty()) AddRow(row);
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

int ComboBox::ListIndex() const { return widget_ ? Combo(widget_)->currentIndex() : listIndex_; }

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

QWidget* ComboBox::CreateWidget(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
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
    if (!AutoComplete) combo->setCompleter(nullptr);
    combo->setFocusPolicy(Qt::StrongFocus);
}

} // namespace fw
