#include "framework/Graphics.h"

#include "framework/Exceptions.h"
#include "framework/NumberRules.h"
#include "framework/Picture.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QTextLayout>

namespace fw {

namespace {
constexpr int kDefaultTextSize = 12;
}

Graphics::Graphics(Picture* target) : target_(target) {}
Graphics::~Graphics() = default;

int Graphics::Width() const { return target_->Width(); }
int Graphics::Height() const { return target_->Height(); }

QFont Graphics::CurrentFont() const {
    QFont font = TextFont.empty() || TextFont == "System" ? QGuiApplication::font()
                                                          : QFont(QString::fromStdString(TextFont));
    const int size = ToInt32(TextSize);
    font.setPixelSize(size > 0 ? size : kDefaultTextSize);
    font.setBold(Bold);
    font.setItalic(Italic);
    font.setUnderline(Underline);
    return font;
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
    QPainter painter(&target_->Image());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, w != sw || h != sh);
    const QRect target(x, y, w, h);
    const QRect source(sx, sy, sw, sh);
    if (picture->HasMask())
        painter.drawImage(target, picture->Composited(), source);
    else
        painter.drawImage(target, picture->Image(), source);
    painter.end();
    Changed();
}

void Graphics::DrawString(const std::string& text, int x, int y, int wrap) {
    if (text.empty()) return;
    QPainter painter(&target_->Image());
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor::fromRgb(static_cast<QRgb>(ForeColor)));
    const QFont font = CurrentFont();
    painter.setFont(font);
    const QString qtext = QString::fromStdString(text);
    if (wrap <= 0) {
        painter.drawText(QPointF(x, y), qtext);
    } else {
        QTextLayout layout(qtext, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        const QFontMetricsF metrics(font);
        double top = y - metrics.ascent();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(wrap);
            line.setPosition(QPointF(0, top - (y - metrics.ascent())));
            top += metrics.height();
        }
        layout.endLayout();
        layout.draw(&painter, QPointF(x, y - metrics.ascent()));
    }
    painter.end();
    Changed();
}

double Graphics::StringWidth(const std::string& text) const {
    return QFontMetricsF(CurrentFont()).horizontalAdvance(QString::fromStdString(text));
}

int Graphics::TextHeight() const {
    return ToInt32(QFontMetricsF(CurrentFont()).height());
}

int Graphics::TextAscent() const {
    return ToInt32(QFontMetricsF(CurrentFont()).ascent());
}

void Graphics::FillRect(int x, int y, int w, int h) {
    QPainter painter(&target_->Image());
    painter.fillRect(QRect(x, y, w, h), QColor::fromRgb(static_cast<QRgb>(ForeColor)));
    painter.end();
    Changed();
}

void Graphics::ClearRect(int x, int y, int w, int h) {
    QPainter painter(&target_->Image());
    painter.fillRect(QRect(x, y, w, h), Qt::white);
    painter.end();
    Changed();
}

} // namespace fw
