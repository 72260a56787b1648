#include "framework/FolderItem.h"

#include "framework/Picture.h"
#include "framework/PictureDecoder.h"

#include <QFile>
#include <QImageWriter>

namespace fw {

namespace {
// No picture file of a size the framework accepts comes near this; reading a larger
// file into memory only to refuse it would waste the memory.
constexpr qint64 kMaxPictureFileBytes = qint64{1} << 30;

// High enough that the card's caption keeps crisp edges.
constexpr int kJpegQuality = 90;
} // namespace

std::shared_ptr<Picture> FolderItem::OpenAsPicture() const {
    QFile file(QString::fromStdString(AbsolutePath()));
    if (!file.open(QIODevice::ReadOnly)) return nullptr;
    const qint64 size = file.size();
    if (size <= 0 || size > kMaxPictureFileBytes) return nullptr;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != size) return nullptr;
    return PictureDecoder::Decode(bytes, Name());
}

bool FolderItem::SaveAsJPEG(const std::shared_ptr<Picture>& picture) const {
    if (!picture) return false;
    QImageWriter writer(QString::fromStdString(AbsolutePath()), "jpeg");
    writer.setQuality(kJpegQuality);
    return writer.write(picture->Image());
}

} // namespace fw
