#include "framework/graphics/Screen.h"

#include "framework/graphics/FontFamilies.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

namespace fw {

namespace {

std::vector<ScreenInfo>& Scripted() {
    static std::vector<ScreenInfo> screens;
    return screens;
}

std::vector<ScreenInfo> Screens() {
    if (!Scripted().empty()) return Scripted();
    std::vector<ScreenInfo> out;
    QList<QScreen*> screens = QGuiApplication::screens();
    // The primary display comes first, as the program expects of screen 0.
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        screens.removeAll(primary);
        screens.prepend(primary);
    }
    for (const QScreen* s : screens) {
        const QRect g = s->geometry();
        const QRect a = s->availableGeometry();
        out.push_back({g.left(), g.top(), g.width(), g.height(), a.left(), a.top(), a.width(), a.height()});
    }
    return out;
}

std::vector<std::string>& ScriptedFonts() {
    static std::vector<std::string> fonts;
    return fonts;
}

struct FamilyList {
    QStringList names;
    bool known = false;
};

FamilyList& Listed() {
    static FamilyList list;
    return list;
}

// The program asks for the families one index at a time, so a scripted list too is
// made once, not once for each family.
const QStringList& Families() {
    if (ScriptedFonts().empty()) return InstalledFamilies();
    FamilyList& list = Listed();
    if (list.known) return list.names;
    QStringList scripted;
    for (const auto& f : ScriptedFonts()) scripted << QString::fromStdString(f);
    list = {PlainFamilies(scripted), true};
    return list.names;
}

} // namespace

int ScreenCount() { return static_cast<int>(Screens().size()); }

ScreenRef Screen(int index) {
    const auto screens = Screens();
    if (index < 0 || index >= static_cast<int>(screens.size())) return nullptr;
    return std::make_shared<ScreenInfo>(screens[static_cast<size_t>(index)]);
}

void SetScreensForTests(std::vector<ScreenInfo> screens) { Scripted() = std::move(screens); }

int FontCount() { return static_cast<int>(Families().size()); }

std::string Font(int index) {
    const QStringList& families = Families();
    if (index < 0 || index >= families.size()) return {};
    return families[index].toStdString();
}

void SetFontsForTests(std::vector<std::string> fonts) {
    ScriptedFonts() = std::move(fonts);
    Listed().known = false;
}

bool FontDrawsText(const std::string& family, const std::string& text) {
    const QString name = QString::fromStdString(family);
    // A symbol face claims the letters too, and draws pictures for them.
    if (QFontDatabase::writingSystems(name).contains(QFontDatabase::Symbol)) return false;
    QFont font(name);
    font.setStyleStrategy(QFont::NoFontMerging);
    const QFontMetrics metrics(font);
    for (const char32_t c : QString::fromStdString(text).toUcs4())
        if (!metrics.inFontUcs4(c)) return false;
    return true;
}

} // namespace fw
