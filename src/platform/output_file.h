#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QString>

namespace quillo {

// A file the program writes for the user (a CSV export, a PDF, the settings),
// written so that nothing is lost whatever happens on the way:
// - a regular file, new or old, is written beside itself under another name and
//   only renamed into place once every byte is written and flushed, so a full
//   disk or a crash leaves the old file byte for byte; a symbolic link is
//   written through (the file it names is replaced, the link stays), and an old
//   file keeps its permissions (a new one gets 0666 less the umask);
// - a pipe, a terminal or a character device (/dev/stdout, /dev/null, a FIFO)
//   is written straight into, so output can be piped; it is never replaced;
// - anything else (a folder, a block device, a socket) is refused.
// Every write is checked, not only the last flush: a failure is kept, later
// writes are dropped, and commit() reports it.
class OutputFile : public QIODevice {
public:
    explicit OutputFile(const QString& path);
    ~OutputFile() override;  // without commit(), a regular file stays as it was
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // False once anything has failed (also when the file could not be opened).
    bool writeBytes(QByteArrayView bytes);
    bool failed() const { return !m_error.isEmpty(); }
    // Puts the file in place (or finishes the stream); false with `reason` (the
    // file and what went wrong) when any step failed.
    bool commit(QString* reason = nullptr);
    // True when the output goes straight into a pipe or a device.
    bool isStream() const { return m_stream; }
    QString errorText() const { return m_error; }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    void fail(const QString& what, int error);
    void discard();

    QString m_path;    // as given, for messages
    QString m_target;  // the regular file that is replaced (links resolved)
    QString m_part;    // the file written until commit()
    QString m_error;
    int m_fd = -1;
    int m_mode = 0;    // the permissions the file ends with
    int m_owner = -1;  // and its owner, where root replaces a user's file
    int m_group = -1;
    bool m_stream = false;
};

// Replaces a file by the given bytes in the same way, whole or not at all;
// `reason` (when given) says why not.
bool replaceFileWhole(const QString& path, QByteArrayView bytes, QString* reason = nullptr);

}  // namespace quillo
