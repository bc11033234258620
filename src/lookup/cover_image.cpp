#include "lookup/cover_image.h"

#include <QBuffer>
#include <QImageReader>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace quillo {

namespace {

// More pixels than any cover has: a small file that would unpack into
// gigabytes is refused before it is.
constexpr qint64 kMostCoverPixels = 25'000'000;

const QString kNotWhole = QStringLiteral("表紙の画像が壊れているか途中で切れています");
const QString kTooManyPixels = QStringLiteral("表紙の画像の大きさが大きすぎます");

bool isJpeg(const QByteArray& bytes) {
    return bytes.startsWith(QByteArrayLiteral("\xFF\xD8\xFF"));
}

bool isPng(const QByteArray& bytes) {
    return bytes.startsWith(QByteArrayLiteral("\x89PNG\r\n\x1A\n"));
}

// libjpeg's faults end the decoding; its warnings (data cut short, bytes that
// make no sense) are counted, and a warned image is not whole.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf fault;
};

[[noreturn]] void jpegFault(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->fault, 1);
}

void jpegQuiet(j_common_ptr) {}

// Decodes a JPEG whole into `image`; false, with the reason, when it is not.
// Only plain data lives in this frame, as a fault jumps out of libjpeg.
bool readJpeg(const QByteArray& bytes, QImage* image, QString* problem) {
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegFault;
    errors.manager.output_message = jpegQuiet;
    if (setjmp(errors.fault)) {
        jpeg_destroy_decompress(&info);
        *problem = kNotWhole;
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (qint64(info.image_width) * info.image_height > kMostCoverPixels) {
        jpeg_destroy_decompress(&info);
        *problem = kTooManyPixels;
        return false;
    }
    info.out_color_space = JCS_RGB;
    // Read no larger than a cover is kept: libjpeg scales by 1/2, 1/4 or 1/8
    // while it decodes, every byte still read.
    while (info.scale_denom < 8 && info.image_height / (info.scale_denom * 2) >= kCoverHeight)
        info.scale_denom *= 2;
    jpeg_start_decompress(&info);
    *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                    QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    const bool whole = errors.manager.num_warnings == 0;
    jpeg_destroy_decompress(&info);
    if (!whole)
        *problem = kNotWhole;
    return whole;
}

bool readPng(const QByteArray& bytes, QImage* image, QString* problem) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size();
    if (qint64(size.width()) * size.height() > kMostCoverPixels) {
        *problem = kTooManyPixels;
        return false;
    }
    // Qt's PNG reader gives no image for data cut short or damaged.
    *image = reader.read();
    if (image->isNull())
        *problem = kNotWhole;
    return !image->isNull();
}

}  // namespace

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

CoverAnswer coverFromAnswer(const QByteArray& bytes) {
    if (bytes.size() > kMostCoverBytes)
        return {{}, QStringLiteral("表紙の画像が大きすぎます（2 MB まで）")};
    QImage image;
    QString problem;
    if (isJpeg(bytes))
        readJpeg(bytes, &image, &problem);
    else if (isPng(bytes))
        readPng(bytes, &image, &problem);
    else
        problem = QStringLiteral("表紙の画像が JPEG でも PNG でもありません");
    if (!problem.isEmpty())
        return {{}, problem};
    return {coverBytes(image), {}};
}

}  // namespace quillo
