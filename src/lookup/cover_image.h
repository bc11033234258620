#pragma once

#include <QByteArray>
#include <QImage>

namespace quillo {

// Covers are kept at most this high, as the library's thumbnails are.
inline constexpr int kCoverHeight = 200;

// An image (a file's bytes, or one pasted) as the catalogue keeps a cover: at
// most 200 pixels high, as JPEG. Empty when the bytes are no image.
QByteArray coverBytes(const QByteArray& imageFile);
QByteArray coverBytes(const QImage& image);

}  // namespace quillo
