#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>

#include "platform/system_error.h"

namespace quillo {

namespace {

// The process's umask, read without changing it (umask() would, for a moment,
// for every thread).
int currentUmask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const int mask = line.mid(6).trimmed().toInt(&ok, 8);
                if (ok)
                    return mask;
            }
        }
    }
    return 022;
}

// Names that stand for this process's own output, whatever they point at: a
// user who names them means "write to my output", never "replace that file".
bool namesOwnOutput(const QString& path) {
    for (const char* prefix : {"/dev/stdout", "/dev/stderr", "/dev/fd/", "/proc/self/fd/"})
        if (path.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

QString resolvedTarget(const QString& path) {
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    // A link to a file not made yet: the file is made where it points.
    if (info.isSymLink())
        return QFileInfo(info.symLinkTarget()).absoluteFilePath();
    return info.absoluteFilePath();
}

}  // namespace

OutputFile::OutputFile(const QString& path) : m_path(path) {
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    const bool exists = ::stat(name.constData(), &st) == 0;
    if (exists && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || namesOwnOutput(path))) {
        m_stream = true;
        m_fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (m_fd < 0)
            fail(path, errno);
        return;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        m_error =
            S_ISDIR(st.st_mode)
                ? QStringLiteral("%1 はフォルダーです。ファイルの名前を指定してください").arg(path)
                : QStringLiteral("%1 は通常のファイルではないため、書き込みません").arg(path);
        return;
    }
    if (!exists && errno != ENOENT) {
        fail(path, errno);
        return;
    }
    m_target = resolvedTarget(path);
    m_mode = exists ? static_cast<int>(st.st_mode & 07777) : (0666 & ~currentUmask());
    if (exists && ::geteuid() == 0) {
        // Root writing a user's file leaves it the user's.
        m_owner = static_cast<int>(st.st_uid);
        m_group = static_cast<int>(st.st_gid);
    }
    // Beside the file, so the rename stays on its disk; cut so that even a
    // name near the file system's limit leaves room for the suffix.
    const QFileInfo target(m_target);
    QString stem = target.fileName();
    while (stem.toUtf8().size() > 200)
        stem.chop(1);
    QByteArray part = QFile::encodeName(target.dir().filePath(stem)) + ".XXXXXX.part";
    m_fd = ::mkostemps(part.data(), 5, O_CLOEXEC);  // the random part before ".part"
    if (m_fd < 0) {
        fail(m_target, errno);
        return;
    }
    m_part = QFile::decodeName(part);
}

OutputFile::~OutputFile() {
    discard();
}

void OutputFile::fail(const QString& what, int error) {
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1 に書き込めません（%2）").arg(what, systemErrorText(error));
}

void OutputFile::discard() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_part.isEmpty())
        QFile::remove(m_part);
    m_part.clear();
}

qint64 OutputFile::writeData(const char* data, qint64 size) {
    if (m_fd < 0 || failed())
        return -1;
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, static_cast<size_t>(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(m_stream ? m_path : m_target, n < 0 ? errno : ENOSPC);
            return -1;
        }
        done += n;
    }
    return done;
}

bool OutputFile::writeBytes(QByteArrayView bytes) {
    return write(bytes.data(), bytes.size()) == bytes.size() && !failed();
}

bool OutputFile::commit(QString* reason) {
    auto refuse = [&] {
        if (reason)
            *reason = m_error;
        discard();
        return false;
    };
    if (failed() || m_fd < 0)
        return refuse();
    const QString& shown = m_stream ? m_path : m_target;
    // A disk that fills shows at the latest here (delayed allocation, a
    // network file system): only a file known to be on the disk replaces one.
    if (!m_stream && (::fsync(m_fd) != 0 || ::fchmod(m_fd, static_cast<mode_t>(m_mode)) != 0))
        fail(shown, errno);
    if (!m_stream && m_owner >= 0 && !failed() &&
        ::fchown(m_fd, static_cast<uid_t>(m_owner), static_cast<gid_t>(m_group)) != 0)
        fail(shown, errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && !failed())
        fail(shown, errno);
    if (failed())
        return refuse();
    if (!m_stream) {
        if (::rename(QFile::encodeName(m_part).constData(),
                     QFile::encodeName(m_target).constData()) != 0) {
            fail(m_target, errno);
            return refuse();
        }
        m_part.clear();
    }
    QIODevice::close();
    return true;
}

bool replaceFileWhole(const QString& path, QByteArrayView bytes, QString* reason) {
    OutputFile file(path);
    file.writeBytes(bytes);
    return file.commit(reason);
}

}  // namespace quillo
