#include "framework/graphics/FontFamilies.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QSet>

namespace fw {

QStringList PlainFamilies(const QStringList& platformFamilies) {
    QStringList out;
    QSet<QString> seen;
    for (QString family : platformFamilies) {
        // "Family [Foundry]": the foundry is the bracketed last part.
        const qsizetype open = family.lastIndexOf(QStringLiteral(" ["));
        if (family.endsWith(u']') && open > 0 && family.indexOf(u'[', open + 2) < 0) family.truncate(open);
        if (!seen.contains(family)) {
            seen.insert(family);
            out << family;
        }
    }
    return out;
}

const QStringList& InstalledFamilies() {
    static QStringList families;
    static bool known = false;
    static bool watching = false;
    if (!watching && qGuiApp) {
        watching = true;
        QObject::connect(qGuiApp, &QGuiApplication::fontDatabaseChanged, qGuiApp, [] { known = false; });
    }
    if (!known) {
        families = PlainFamilies(QFontDatabase::families());
        known = true;
    }
    return families;
}

} // namespace fw
