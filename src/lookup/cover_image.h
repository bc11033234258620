#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace quillo {

// Covers are kept at most this high, as the library's thumbnails are.
inline constexpr int kCoverHeight = 200;
// A cover that comes over the network is at most this large before it is read.
inline constexpr qsizetype kMostCoverBytes = 2 * 1024 * 1024;

// An image as the catalogue keeps a cover: at most 200 pixels high, as JPEG.
// Empty for a null image.
QByteArray coverBytes(const QImage& image);

// A cover as another computer sent it: a JPEG or a PNG by its bytes (never a
// format that draws text or loads other files, as SVG does), at most 2 MB and
// of a sane number of pixels, decoded whole (a file cut short or damaged is no
// cover). The cover as the catalogue keeps it, or why not, in Japanese.
struct CoverAnswer {
    QByteArray cover;
    QString problem;
};
CoverAnswer coverFromAnswer(const QByteArray& bytes);

}  // namespace quillo
