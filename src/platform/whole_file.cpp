#include "platform/whole_file.h"

#include <QSaveFile>

namespace quillo {

bool replaceFileWhole(const QString& path, QByteArrayView bytes, QString* reason) {
    QSaveFile file(path);
    // Never the direct-write fallback: it would truncate the old file first.
    file.setDirectWriteFallback(false);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(bytes.data(), bytes.size()) == bytes.size() && file.flush() &&
                         file.error() == QFileDevice::NoError;
    if (written && file.commit())
        return true;
    if (reason)
        *reason = file.errorString();
    file.cancelWriting();
    return false;
}

}  // namespace quillo
