#include "platform/effects/RotateEffect.h"

#include "framework/core/Exceptions.h"

#include <QPainter>
#include <QTransform>

#include <cmath>
#include <utility>

namespace effects {

QSize RotateEffect::TurnedSize(int width, int height, double angle) {
    QTransform turn;
    turn.rotate(angle);
    const QRectF bounds = turn.mapRect(QRectF(0, 0, width, height));
    // The slack keeps a bound that is whole but for rounding noise from growing a pixel.
    const int w = static_cast<int>(std::ceil(bounds.width() - 1e-9));
    const int h = static_cast<int>(std::ceil(bounds.height() - 1e-9));
    return QSize(std::max(1, w), std::max(1, h));
}

fw::PictureRef RotateEffect::Apply(const fw::PictureRef& source, double angle, fw::Color backColor,
                                   RotationMethod method) {
    fw::Deref(source, "RotateEffect source");
    const QSize size = TurnedSize(source->Width(), source->Height(), angle);
    auto result = fw::Picture::New(size.width(), size.height(), source->Depth());
    fw::Deref(result, "RotateEffect result");
    QImage& target = result->Image();
    target.fill(backColor.ToQColor());
    const bool smooth = method == RotationMethod::Smooth;
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.setRenderHint(QPainter::Antialiasing, smooth);
    painter.translate(size.width() / 2.0, size.height() / 2.0);
    painter.rotate(angle);
    painter.translate(-source->Width() / 2.0, -source->Height() / 2.0);
    painter.drawImage(0, 0, std::as_const(*source).Image());
    painter.end();
    return result;
}

} // namespace effects
