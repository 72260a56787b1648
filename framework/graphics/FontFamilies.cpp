#include "framework/graphics/FontFamilies.h"

#include <QRegularExpression>
#include <QSet>

namespace fw {

QStringList PlainFamilies(const QStringList& platformFamilies) {
    static const QRegularExpression foundry(QStringLiteral(R"( \[[^\[\]]*\]$)"));
    QStringList out;
    QSet<QString> seen;
    for (QString family : platformFamilies) {
        family.remove(foundry);
        if (!family.isEmpty() && !seen.contains(family)) {
            seen.insert(family);
            out << family;
        }
    }
    return out;
}

} // namespace fw
