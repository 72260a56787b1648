#include "interfacekit/ifkFontComboBox.h"

#include <QFontDatabase>

void ifkFontComboBox::ApplyDesign() {
    const std::string chosen = DesignText();
    for (const QString& family : QFontDatabase::families()) {
        const std::string name = family.toStdString();
        bool present = false;
        for (int i = 0; i < ListCount(); ++i) present = present || List(i) == name;
        if (!present) AddRow(name);
    }
    fw::ComboBox::ApplyDesign();
    SetText(chosen);
}
