#include "platform/catalogue_lock.h"

#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

#include "platform/system_error.h"

namespace quillo {

namespace {

// Far past SQLite's own lock bytes (from 0x40000000, 512 of them), so the two
// never meet; a lock past the end of a file is allowed.
constexpr off_t kWriterByte = 0x7FFFF000;
constexpr off_t kUserByte = kWriterByte + 1;
// One byte per program, held beside the writer's byte, to say who writes.
constexpr off_t kWriterProgramByte = kWriterByte + 2;

const char* const kPrograms[] = {"quillo", "quillo-csv", "quillo-report"};

bool lockByte(int fd, short type, off_t at) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = at;
    lock.l_len = 1;
    while (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

// True when another open file holds a lock on the byte that a lock of `type`
// would meet.
bool byteTaken(int fd, short type, off_t at) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = at;
    lock.l_len = 1;
    return ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

int openForLocking(const QString& path, bool* writable) {
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    *writable = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    return fd;
}

bool lockRefusedByHolder(int error) {
    return error == EAGAIN || error == EACCES;
}

}  // namespace

CatalogueLock::CatalogueLock(const QString& databasePath, CatalogueUser user)
    : m_path(databasePath), m_user(user) {}

CatalogueLock::~CatalogueLock() {
    release();
}

bool CatalogueLock::tryAcquire(bool write) {
    if (isHeld())
        return true;
    m_failure.clear();
    m_heldByAnother = false;
    bool writable = false;
    const int fd = openForLocking(m_path, &writable);
    if (fd < 0) {
        m_failure = errno == ENOENT ? QStringLiteral("カタログ %1 がありません").arg(m_path)
                                    : QStringLiteral("カタログ %1 を開けません（%2）")
                                          .arg(m_path, systemErrorText(errno));
        return false;
    }
    auto refuse = [&](int error) {
        ::close(fd);
        if (lockRefusedByHolder(error)) {
            m_heldByAnother = true;
            m_failure = QStringLiteral("他のプログラムが使用中です");
        } else {
            m_failure = QStringLiteral("カタログ %1 をロックできません（%2）")
                            .arg(m_path, systemErrorText(error));
        }
        return false;
    };
    const bool writer = write && writable;
    if (writer && !lockByte(fd, F_WRLCK, kWriterByte))
        return refuse(errno);
    // A program that closes renumbers while it holds this byte alone: a
    // newcomer waits for that, so it never reads IDs in the middle of changing.
    bool joined = lockByte(fd, F_RDLCK, kUserByte);
    for (int tries = 0; !joined && lockRefusedByHolder(errno) && tries < 100; ++tries) {
        ::usleep(100 * 1000);
        joined = lockByte(fd, F_RDLCK, kUserByte);
    }
    if (!joined)
        return refuse(errno);
    if (writer && !lockByte(fd, F_RDLCK, kWriterProgramByte + static_cast<off_t>(m_user)))
        return refuse(errno);
    m_fd = fd;
    m_writer = writer;
    return true;
}

void CatalogueLock::release() {
    if (m_fd >= 0)
        ::close(m_fd);  // the locks go with the last descriptor of the open file
    m_fd = -1;
    m_writer = false;
}

bool CatalogueLock::aloneWithTheFile() {
    // Made exclusive only when nobody else shares it; it stays so until the
    // lock is released, so nobody starts while the IDs change.
    return isHeld() && m_writer && lockByte(m_fd, F_WRLCK, kUserByte);
}

QString CatalogueLock::holderProgram() const {
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QString();
    QString holder;
    for (int user = 0; user < 3 && holder.isEmpty(); ++user) {
        if (byteTaken(fd, F_WRLCK, kWriterProgramByte + user))
            holder = QString::fromLatin1(kPrograms[user]);
    }
    ::close(fd);
    return holder;
}

bool CatalogueLock::isWrittenByAnother(const QString& databasePath) {
    const int fd = ::open(QFile::encodeName(databasePath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool taken = byteTaken(fd, F_RDLCK, kWriterByte);
    ::close(fd);
    return taken;
}

QString catalogueLockRefusal(const CatalogueLock& lock, const QString& databasePath,
                             const QString& whileShown) {
    if (!lock.heldByAnother())
        return lock.failureReason();
    const QString holder = lock.holderProgram();
    if (holder == QLatin1String("quillo-csv") || holder == QLatin1String("quillo-report"))
        return QStringLiteral("カタログ %1 は %2 が使用中です。終わってから実行してください")
            .arg(databasePath, holder);
    return QStringLiteral(
               "Quillo がこのカタログ (%1) を開いて起動中です。%2"
               "終了してから実行してください")
        .arg(databasePath, whileShown);
}

}  // namespace quillo
