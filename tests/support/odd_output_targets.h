#pragma once

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

namespace quillo::test {

// Output targets that are not plain files, made in a test's folder.

// A character device that swallows what is written: a null device of the
// test's own where it may make one (root), else the system's, which no test
// can replace without being root.
inline QString nullDevice(const QString& folder) {
    const QString own = folder + QStringLiteral("/null");
    if (::geteuid() == 0 &&
        ::mknod(QFile::encodeName(own).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        return own;
    return QStringLiteral("/dev/null");
}

inline bool isCharacterDevice(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

inline bool isFifo(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// A FIFO another program reads into `copy` until the writer closes it.
class FifoReader {
public:
    FifoReader(const QString& fifo, const QString& copy) {
        QFile::remove(fifo);
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        m_cat.setStandardOutputFile(copy);
        m_cat.start(QStringLiteral("cat"), {fifo});
        QVERIFY(m_cat.waitForStarted());
    }
    bool finished() { return m_cat.waitForFinished(60000) && m_cat.exitCode() == 0; }

private:
    QProcess m_cat;
};

}  // namespace quillo::test
