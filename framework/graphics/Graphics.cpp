#include "framework/graphics/Graphics.h"

#include "framework/core/Exceptions.h"
#include "framework/core/NumberRules.h"
#include "framework/graphics/FontFamilies.h"
#include "framework/graphics/Picture.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace fw {

namespace {

constexpr int kDefaultTextSize = 12;

// The original platform's font names the program uses, and the installed free fonts
// closest in look (fonts-dejavu-core is always installed with the program).
void EnsureFontSubstitutions() {
    static const bool done = [] {
        QFont::insertSubstitutions("Monaco", {"DejaVu Sans Mono"});
        QFont::insertSubstitutions("Papyrus", {"DejaVu Serif"});
        return true;
    }();
    (void)done;
}

bool IsIntegral(double v) { return std::abs(v - std::round(v)) < 1e-9; }

bool IsIntegral(const QRectF& r) {
    return IsIntegral(r.x()) && IsIntegral(r.y()) && IsIntegral(r.width()) &&
           IsIntegral(r.height());
}

QRect Rounded(const QRectF& r) {
    return QRect(static_cast<int>(std::round(r.x())), static_cast<int>(std::round(r.y())),
                 static_cast<int>(std::round(r.width())), static_cast<int>(std::round(r.height())));
}

QString WithLineSeparators(const std::string& text) {
    QString out = QString::fromStdString(text);
    out.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    out.replace(QLatin1Char('\r'), QChar::LineSeparator);
    out.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return out;
}

std::vector<std::pair<std::string, QString>>& ResolvedFamilies() {
    static std::vector<std::pair<std::string, QString>> resolved;
    return resolved;
}

std::map<int32_t, Graphics*>& Ports() {
    static std::map<int32_t, Graphics*> ports;
    return ports;
}

struct LaidOutText {
    QString text;
    QString fontKey;
    int wrap = 0;
    int depth = 0;
    std::unique_ptr<QTextLayout> layout;
    double firstAscent = 0;
};

int linesLaidOut = 0;

// Laying text out is most of the cost of drawing it, and the card draws the same
// caption again whenever anything else changes; the last few layouts are kept.
// Only the lines whose top lies less than `depth` pixels below the first line's top
// are laid out: Qt measures a line without a break opportunity up to the end of the
// word, so breaking all the lines of a long text without spaces costs time that
// grows with the square of its length, mostly for lines that no one sees.
const LaidOutText& LayOut(const QString& text, const QFont& font, int wrap, int depth) {
    constexpr size_t kKept = 4;
    static std::deque<LaidOutText> kept;
    const QString fontKey = font.key();
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (it->wrap == wrap && it->depth == depth && it->text == text && it->fontKey == fontKey) {
            if (it != kept.begin()) {
                LaidOutText found = std::move(*it);
                kept.erase(it);
                kept.push_front(std::move(found));
            }
            return kept.front();
        }
    }

    LaidOutText entry{text, fontKey, wrap, depth, std::make_unique<QTextLayout>(text, font), 0};
    QTextLayout& layout = *entry.layout;
    const QFontMetrics metrics(font);
    QTextOption option;
    option.setWrapMode(wrap > 0 ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    // The layout is drawn many times: keep its shaping, not only its lines.
    layout.setCacheEnabled(true);
    layout.beginLayout();
    // Lines follow one another at the text height, as TextHeight reports it.
    double top = 0;
    for (QTextLine line; top < depth && (line = layout.createLine()).isValid();) {
        if (wrap > 0) line.setLineWidth(wrap);
        line.setPosition(QPointF(0, top));
        top += metrics.height();
    }
    layout.endLayout();
    linesLaidOut = layout.lineCount();
    entry.firstAscent = layout.lineCount() > 0 ? layout.lineAt(0).ascent() : 0.0;
    kept.push_front(std::move(entry));
    if (kept.size() > kKept) kept.pop_back();
    return kept.front();
}

} // namespace

Graphics::Graphics(Picture* target) : target_(target) {}

Graphics::~Graphics() {
    if (port_ != 0) Ports().erase(port_);
}

int Graphics::Width() const { return size_.isEmpty() ? target_->Width() : size_.width(); }
int Graphics::Height() const { return size_.isEmpty() ? target_->Height() : size_.height(); }

int32_t Graphics::Handle(int kind) {
    if (kind != kPortHandle) return 0;
    if (port_ == 0) {
        static int32_t lastPort = 0;
        // Numbers are not reused while the program runs, so a stale port finds nothing.
        do {
            lastPort = lastPort == INT32_MAX ? 1 : lastPort + 1;
        } while (Ports().count(lastPort) > 0);
        port_ = lastPort;
        Ports()[port_] = this;
    }
    return port_;
}

Graphics* Graphics::FromPort(int32_t port) {
    auto it = Ports().find(port);
    return it == Ports().end() ? nullptr : it->second;
}

void Graphics::SetFrame(const Frame& frame) {
    target_ = &Deref(frame.target);
    origin_ = frame.origin;
    size_ = frame.size;
}

void Graphics::Begin(QPainter& painter) {
    painter.begin(&target_->Image());
    painter.translate(origin_);
}

void Graphics::DrawWith(const std::function<void(QPainter&)>& draw) {
    QPainter painter;
    Begin(painter);
    draw(painter);
    painter.end();
    Changed();
}

QString Graphics::ResolveFontFamily(const std::string& name) {
    EnsureFontSubstitutions();
    if (name.empty() || name == "System") return QGuiApplication::font().family();
    // The font database does not change while the program runs; asking it for every
    // string measured would be slow. Only the names asked for last are kept: every
    // prefix of a name typed into the typeface box is asked for once, and keeping
    // them all would grow without end. The newest is at the front.
    std::vector<std::pair<std::string, QString>>& resolved = ResolvedFamilies();
    const auto it = std::find_if(resolved.begin(), resolved.end(), [&](const auto& kept) { return kept.first == name; });
    if (it != resolved.end()) {
        std::rotate(resolved.begin(), it, it + 1);
        return resolved.front().second;
    }

    const QStringList& families = InstalledFamilies();
    const QString wanted = QString::fromStdString(name);
    auto installed = [&](const QString& family) -> QString {
        for (const QString& f : families)
            if (f.compare(family, Qt::CaseInsensitive) == 0) return f;
        return {};
    };
    QString family = installed(wanted);
    if (family.isEmpty()) {
        for (const QString& substitute : QFont::substitutes(wanted)) {
            family = installed(substitute);
            if (!family.isEmpty()) break;
        }
    }
    if (family.isEmpty()) family = QGuiApplication::font().family();
    if (resolved.size() >= kKeptFontFamilies) resolved.pop_back();
    resolved.emplace(resolved.begin(), name, family);
    return family;
}

size_t Graphics::KeptFontFamilies() { return ResolvedFamilies().size(); }

QFont Graphics::FontFor(const std::string& name, int pixelSize, bool bold, bool italic, bool underline) {
    QFont font = QGuiApplication::font();
    if (!name.empty() && name != "System") font.setFamily(ResolveFontFamily(name));
    if (pixelSize > 0) font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

QFont Graphics::CurrentFont() const {
    const int size = ToInt32(TextSize);
    return FontFor(TextFont, size > 0 ? size : kDefaultTextSize, Bold, Italic, Underline);
}

void Graphics::Changed() {
    if (changed_) changed_();
}

void Graphics::DrawPicture(const std::shared_ptr<Picture>& picture, int x, int y) {
    Deref(picture);
    DrawPicture(picture, x, y, picture->Width(), picture->Height(), 0, 0, picture->Width(),
                picture->Height());
}

void Graphics::DrawPicture(const std::shared_ptr<Picture>& picture, int x, int y, int w, int h,
                           int sx, int sy, int sw, int sh) {
    Deref(picture);
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;

    // Clip the source to the picture and shrink the destination in proportion, so
    // that what lies outside the picture leaves the destination as it was.
    const double kx = w / static_cast<double>(sw);
    const double ky = h / static_cast<double>(sh);
    const QRectF source(sx, sy, sw, sh);
    const QRectF clipped = source.intersected(QRectF(0, 0, picture->Width(), picture->Height()));
    if (clipped.isEmpty()) return;
    const QRectF target(x + (clipped.x() - sx) * kx, y + (clipped.y() - sy) * ky,
                        clipped.width() * kx, clipped.height() * ky);

    QImage pixels;
    double fx = 1.0;
    double fy = 1.0;
    QRectF from;
    if (picture->HasMask()) {
        pixels = picture->Composited();
    } else if (!picture->IsFullyDecoded() && kx == 1.0 && ky == 1.0 && IsIntegral(clipped)) {
        // A 1:1 part of a picture not yet decoded: only that part is made.
        pixels = picture->Region(Rounded(clipped));
        from = QRectF(pixels.rect());
    } else {
        Picture::Pixels p = picture->PixelsForScale(kx, ky);
        pixels = std::move(p.image);
        fx = p.factorX;
        fy = p.factorY;
    }
    if (from.isNull())
        from = QRectF(clipped.x() * fx, clipped.y() * fy, clipped.width() * fx, clipped.height() * fy);

    // Painting detaches the target's pixels when `pixels` shares them (a picture drawn
    // into itself), so the source stays intact while it is read.
    QPainter painter;
    Begin(painter);
    if (IsIntegral(from) && IsIntegral(target)) {
        const QRect fromRect = Rounded(from);
        const QRect toRect = Rounded(target);
        if (fromRect.size() == toRect.size()) {
            painter.drawImage(toRect.topLeft(), pixels, fromRect);
        } else if (toRect.width() < fromRect.width() || toRect.height() < fromRect.height()) {
            // Shrinking: area averaging, which the painter's bilinear filter is not.
            QImage part = fromRect == pixels.rect() ? pixels : pixels.copy(fromRect);
            painter.drawImage(toRect.topLeft(), part.scaled(toRect.size(), Qt::IgnoreAspectRatio,
                                                            Qt::SmoothTransformation));
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(toRect, pixels, fromRect);
        }
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, pixels, from);
    }
    painter.end();
    Changed();
}

void Graphics::DrawString(const std::string& text, int x, int y, int wrap) {
    if (textObserver_) textObserver_({text, x, y, ForeColor});
    if (text.empty()) return;
    QPainter painter;
    Begin(painter);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(ForeColor.ToQColor());
    const QFont font = CurrentFont();
    painter.setFont(font);
    const QString qtext = WithLineSeparators(text);
    if (wrap <= 0 && !qtext.contains(QChar::LineSeparator)) {
        painter.drawText(QPointF(x, y), qtext);
    } else {
        // Lines whose top lies below the target's last row draw nothing. One line
        // height to spare, for glyphs that reach above their line's top.
        const QFontMetrics metrics(font);
        const int bottom = target_->Height() - origin_.y();
        const int depth = std::max(0, bottom - (y - metrics.ascent()) + metrics.height());
        const LaidOutText& laidOut = LayOut(qtext, font, wrap, depth);
        laidOut.layout->draw(&painter, QPointF(x, y - laidOut.firstAscent));
    }
    painter.end();
    Changed();
}

int Graphics::LinesLaidOut() { return linesLaidOut; }

double Graphics::StringWidth(const std::string& text) const {
    return QFontMetricsF(CurrentFont()).horizontalAdvance(QString::fromStdString(text));
}

int Graphics::TextHeight() const { return QFontMetrics(CurrentFont()).height(); }

int Graphics::TextAscent() const { return QFontMetrics(CurrentFont()).ascent(); }

void Graphics::FillRect(int x, int y, int w, int h) {
    QPainter painter;
    Begin(painter);
    painter.fillRect(QRect(x, y, w, h), ForeColor.ToQColor());
    painter.end();
    Changed();
}

void Graphics::DrawRect(int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    const QColor color = ForeColor.ToQColor();
    QPainter painter;
    Begin(painter);
    // Four edge strips rather than a stroked path, so every pixel is exact.
    painter.fillRect(QRect(x, y, w, 1), color);
    painter.fillRect(QRect(x, y + h - 1, w, 1), color);
    painter.fillRect(QRect(x, y, 1, h), color);
    painter.fillRect(QRect(x + w - 1, y, 1, h), color);
    painter.end();
    Changed();
}

void Graphics::FillRoundRect(int x, int y, int w, int h, int arcW, int arcH) {
    if (w <= 0 || h <= 0) return;
    QPainter painter;
    Begin(painter);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ForeColor.ToQColor());
    painter.drawRoundedRect(QRect(x, y, w, h), arcW / 2.0, arcH / 2.0);
    painter.end();
    Changed();
}

void Graphics::ClearRect(int x, int y, int w, int h) {
    QPainter painter;
    Begin(painter);
    painter.fillRect(QRect(x, y, w, h), Qt::white);
    painter.end();
    Changed();
}

} // namespace fw
