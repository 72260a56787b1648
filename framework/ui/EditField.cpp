#include "framework/ui/EditField.h"

#include "framework/core/Runtime.h"

#include <QLineEdit>

namespace fw {

namespace {
QLineEdit* Line(const QPointer<QWidget>& w) { return static_cast<QLineEdit*>(w.data()); }
} // namespace

std::string EditField::Text() const {
    return widget_ ? Line(widget_)->text().toStdString() : pendingText_;
}

void EditField::SetText(const std::string& text) {
    pendingText_ = text;
    if (widget_) Line(widget_)->setText(QString::fromStdString(text));
}

int EditField::SelStart() const {
    if (!widget_) return 0;
    auto* line = Line(widget_);
    return line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
}

int EditField::SelLength() const {
    return widget_ ? static_cast<int>(Line(widget_)->selectedText().size()) : 0;
}

void EditField::SetSelection(int start, int length) {
    if (widget_) Line(widget_)->setSelection(start, length);
}

void EditField::SelectAll() {
    if (widget_) Line(widget_)->selectAll();
}

QWidget* EditField::CreateWidget(QWidget* parent) {
    auto* line = new QLineEdit(parent);
    QObject::connect(line, &QLineEdit::textChanged, line, [this] {
        if (TextChange) Runtime::Dispatch(TextChange);
    });
    return line;
}

void EditField::ApplyDesign() {
    Control::ApplyDesign();
    auto* line = Line(widget_);
    line->setText(QString::fromStdString(pendingText_));
    line->setFrame(Border);
    line->setReadOnly(ReadOnly);
    line->setEchoMode(Password ? QLineEdit::Password : QLineEdit::Normal);
    if (LimitText > 0) line->setMaxLength(LimitText);
    line->setAlignment(Alignment == AlignCenter  ? Qt::AlignHCenter
                       : Alignment == AlignRight ? Qt::AlignRight
                                                 : Qt::AlignLeft);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Text, TextColor.ToQColor());
    palette.setColor(QPalette::Base, BackColor.ToQColor());
    line->setPalette(palette);
    line->setFocusPolicy(Qt::StrongFocus);
}

bool EditField::BuiltInMenuCommand(const std::string& name) {
    if (!widget_) return false;
    auto* line = Line(widget_);
    if (name == "EditCut") line->cut();
    else if (name == "EditCopy") line->copy();
    else if (name == "EditPaste") line->paste();
    else if (name == "EditClear") line->del();
    else if (name == "EditSelectAll") line->selectAll();
    else if (name == "EditUndo") line->undo();
    else return false;
    return true;
}

} // namespace fw
