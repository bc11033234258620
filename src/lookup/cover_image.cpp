#include "lookup/cover_image.h"

#include <QBuffer>

namespace quillo {

QByteArray coverBytes(const QImage& image) {
    if (image.isNull())
        return {};
    const QImage scaled = image.height() > kCoverHeight
                              ? image.scaledToHeight(kCoverHeight, Qt::SmoothTransformation)
                              : image;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    scaled.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPEG", 88);
    return bytes;
}

QByteArray coverBytes(const QByteArray& imageFile) {
    return coverBytes(QImage::fromData(imageFile));
}

}  // namespace quillo
