#pragma once

#include <QByteArrayView>
#include <QString>

namespace quillo {

// Replaces a file by the given bytes, whole or not at all: they go to a temporary
// file beside it, are flushed and checked there (a full disk shows only then),
// and only then is it renamed over the old one. On any failure the old file stays
// byte for byte, and `reason` (when given) says why.
bool replaceFileWhole(const QString& path, QByteArrayView bytes, QString* reason = nullptr);

// The same promise for a file written in pieces: the pieces go to a temporary
// file beside it, and only commit() renames it over the old one. A writer
// dropped without commit() leaves the old file as it was.
class WholeFileWriter {
public:
    explicit WholeFileWriter(const QString& path);
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    bool write(QByteArrayView bytes);  // false once anything has failed
    bool commit(QString* reason = nullptr);

private:
    struct Impl;
    Impl* m_impl;
};

}  // namespace quillo
