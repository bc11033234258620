#pragma once

#include <QByteArrayView>
#include <QString>

namespace quillo {

// Replaces a file by the given bytes, whole or not at all: they go to a temporary
// file beside it, are flushed and checked there (a full disk shows only then),
// and only then is it renamed over the old one. On any failure the old file stays
// byte for byte, and `reason` (when given) says why.
bool replaceFileWhole(const QString& path, QByteArrayView bytes, QString* reason = nullptr);

}  // namespace quillo
