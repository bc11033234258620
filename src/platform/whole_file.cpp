#include "platform/whole_file.h"

#include <QSaveFile>

namespace quillo {

struct WholeFileWriter::Impl {
    explicit Impl(const QString& path) : file(path) {
        // Never the direct-write fallback: it would truncate the old file first.
        file.setDirectWriteFallback(false);
        ok = file.open(QIODevice::WriteOnly);
    }
    QSaveFile file;
    bool ok = false;
};

WholeFileWriter::WholeFileWriter(const QString& path) : m_impl(new Impl(path)) {}

WholeFileWriter::~WholeFileWriter() {
    if (m_impl->file.isOpen())
        m_impl->file.cancelWriting();
    delete m_impl;
}

bool WholeFileWriter::write(QByteArrayView bytes) {
    m_impl->ok = m_impl->ok && m_impl->file.write(bytes.data(), bytes.size()) == bytes.size();
    return m_impl->ok;
}

bool WholeFileWriter::commit(QString* reason) {
    QSaveFile& file = m_impl->file;
    // A full disk shows only when the last pieces are flushed.
    if (m_impl->ok && file.flush() && file.error() == QFileDevice::NoError && file.commit())
        return true;
    if (reason)
        *reason = file.errorString();
    file.cancelWriting();
    return false;
}

bool replaceFileWhole(const QString& path, QByteArrayView bytes, QString* reason) {
    WholeFileWriter file(path);
    file.write(bytes);
    return file.commit(reason);
}

}  // namespace quillo
