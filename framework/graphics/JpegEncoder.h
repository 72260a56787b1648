#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace fw {

// JPEG through libjpeg-turbo directly, because Qt's writer always halves the colour
// resolution (4:2:0): a thin stroke of pure red would be stored as a dull brown.
// Here every component keeps full resolution (4:4:4).
class JpegEncoder {
public:
    // The JPEG stream of the image at `quality` (1 to 100); an empty array when the
    // image is null or the encoder fails, with the encoder's reason in `reason`.
    static QByteArray Encode(const QImage& image, int quality, QString* reason = nullptr);
};

} // namespace fw
