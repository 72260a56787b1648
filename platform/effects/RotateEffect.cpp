#include "platform/effects/RotateEffect.h"

#include "framework/Exceptions.h"

#include <QPainter>
#include <QTransform>

#include <cmath>

namespace effects {

fw::PictureRef RotateEffect::Apply(const fw::PictureRef& source, double angle, fw::Color backColor,
                                   int method) {
    fw::Deref(source, "RotateEffect source");
    if (source->Width() <= 0 || source->Height() <= 0) return nullptr;
    QTransform turn;
    turn.rotate(angle);
    // The turned bounding box, rounded up so that no corner is cut.
    const QRectF bounds = turn.mapRect(QRectF(0, 0, source->Width(), source->Height()));
    const int w = static_cast<int>(std::ceil(bounds.width() - 1e-9));
    const int h = static_cast<int>(std::ceil(bounds.height() - 1e-9));
    auto result = fw::Picture::New(std::max(1, w), std::max(1, h), source->Depth());
    fw::Deref(result, "RotateEffect result");
    QImage& target = result->Image();
    target.fill(QColor::fromRgb(static_cast<QRgb>(backColor)));
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, method == 1);
    painter.setRenderHint(QPainter::Antialiasing, method == 1);
    painter.translate(w / 2.0, h / 2.0);
    painter.rotate(angle);
    painter.translate(-source->Width() / 2.0, -source->Height() / 2.0);
    painter.drawImage(0, 0, source->Image());
    painter.end();
    return result;
}

} // namespace effects
