#include "reading/name_index.h"

#include <sqlite3.h>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringTokenizer>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <future>
#include <mutex>

namespace quillo {

namespace {

// Made anew when the way the files are read changes.
constexpr const char* kFormat = "names-1";

QString signatureOf(const NameDataFiles& files) {
    QString signature = QString::fromLatin1(kFormat);
    for (const QString& path : files.all()) {
        const QFileInfo info(path);
        signature += QStringLiteral("|%1:%2:%3")
                         .arg(path, QString::number(info.exists() ? info.size() : -1),
                              QString::number(info.lastModified().toSecsSinceEpoch()));
    }
    return signature;
}

QString storedSignature(const QString& path) {
    sqlite3* db = nullptr;
    QString signature;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* read = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT value FROM meta WHERE key = 'signature'", -1, &read,
                               nullptr) == SQLITE_OK &&
            sqlite3_step(read) == SQLITE_ROW)
            signature =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(read, 0)));
        sqlite3_finalize(read);
    }
    sqlite3_close(db);
    return signature;
}

// Every line of a file in EUC-JP (JIS X 0212 too, which Shift-JIS cannot hold).
template <typename Line>
bool forEachLine(const QString& path, Line line) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QStringDecoder decoder("EUC-JP");
    if (!decoder.isValid())
        return false;
    const QString text = decoder.decode(file.readAll());
    for (const QStringView row : QStringTokenizer(text, u'\n'))
        line(row.toString());
    return true;
}

void run(sqlite3* db, const char* sql) {
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

void bindText(sqlite3_stmt* statement, int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, index, utf8.constData(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
}

QString textAt(sqlite3_stmt* statement, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                             sqlite3_column_bytes(statement, column));
}

bool build(const QString& target, const NameDataFiles& files, const QString& signature) {
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(target).constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    run(db,
        "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; BEGIN;"
        "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT);"
        "CREATE TABLE names (text TEXT NOT NULL, reading TEXT NOT NULL, kinds INTEGER,"
        " family INTEGER, source INTEGER, rank INTEGER);"
        "CREATE TABLE kanji (ch TEXT NOT NULL, reading TEXT NOT NULL, kind INTEGER,"
        " rank INTEGER);");
    sqlite3_stmt* name = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO names VALUES (?, ?, ?, ?, ?, ?)", -1, &name, nullptr);
    auto addName = [&](const NameEntry& entry) {
        sqlite3_reset(name);
        bindText(name, 1, entry.text);
        bindText(name, 2, entry.reading);
        sqlite3_bind_int(name, 3, static_cast<int>(entry.kinds));
        sqlite3_bind_int(name, 4, entry.familyLength);
        sqlite3_bind_int(name, 5, static_cast<int>(entry.source));
        sqlite3_bind_int(name, 6, entry.rank);
        sqlite3_step(name);
    };
    bool any =
        forEachLine(files.jmnedict, [&](const QString& line) { readJmnedictLine(line, addName); });
    any = forEachLine(files.skkFullNames,
                      [&](const QString& line) { readSkkLine(line, true, addName); }) ||
          any;
    any = forEachLine(files.skkNames,
                      [&](const QString& line) { readSkkLine(line, false, addName); }) ||
          any;
    sqlite3_finalize(name);
    sqlite3_stmt* kanji = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO kanji VALUES (?, ?, ?, ?)", -1, &kanji, nullptr);
    any = forEachLine(files.kanjidic,
                      [&](const QString& line) {
                          readKanjidicLine(line, [&](const KanjiReading& reading) {
                              sqlite3_reset(kanji);
                              bindText(kanji, 1, reading.kanji);
                              bindText(kanji, 2, reading.reading);
                              sqlite3_bind_int(kanji, 3, static_cast<int>(reading.kind));
                              sqlite3_bind_int(kanji, 4, reading.rank);
                              sqlite3_step(kanji);
                          });
                      }) ||
          any;
    sqlite3_finalize(kanji);
    run(db, "CREATE INDEX names_text ON names (text); CREATE INDEX kanji_ch ON kanji (ch);");
    sqlite3_stmt* meta = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO meta VALUES ('signature', ?)", -1, &meta, nullptr);
    bindText(meta, 1, signature);
    sqlite3_step(meta);
    sqlite3_finalize(meta);
    const bool committed = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return any && committed;
}

}  // namespace

QString NameIndex::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Quillo/names.db");
}

bool NameIndex::ensure(const QString& path, const NameDataFiles& files) {
    const QString signature = signatureOf(files);
    if (QFileInfo::exists(path) && storedSignature(path) == signature)
        return true;
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QTemporaryFile part(path + QStringLiteral(".XXXXXX"));
    part.setAutoRemove(true);
    if (!part.open())
        return false;
    part.close();
    if (!build(part.fileName(), files, signature))
        return false;
    // Another process may have put the same index in place meanwhile: the
    // rename replaces it with one just as good.
    if (std::rename(QFile::encodeName(part.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0)
        return false;
    part.setAutoRemove(false);
    return true;
}

std::unique_ptr<NameIndex> NameIndex::open(const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(path))
        return nullptr;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    return std::unique_ptr<NameIndex>(new NameIndex(db));
}

NameIndex::NameIndex(sqlite3* db) : m_db(db) {
    sqlite3_prepare_v2(m_db,
                       "SELECT reading, kinds, family, source, rank FROM names WHERE text = ?"
                       " ORDER BY source DESC, rank, rowid",
                       -1, &m_names, nullptr);
    sqlite3_prepare_v2(m_db, "SELECT reading, kind, rank FROM kanji WHERE ch = ? ORDER BY rowid",
                       -1, &m_kanji, nullptr);
}

NameIndex::~NameIndex() {
    sqlite3_finalize(m_names);
    sqlite3_finalize(m_kanji);
    sqlite3_close(m_db);
}

std::vector<NameEntry> NameIndex::lookUp(const QString& text, unsigned kinds) const {
    std::vector<NameEntry> found;
    if (!m_names)
        return found;
    sqlite3_reset(m_names);
    bindText(m_names, 1, text);
    while (sqlite3_step(m_names) == SQLITE_ROW) {
        const unsigned entryKinds = static_cast<unsigned>(sqlite3_column_int(m_names, 1));
        if (entryKinds & kinds)
            found.push_back({text, textAt(m_names, 0), entryKinds, sqlite3_column_int(m_names, 2),
                             static_cast<NameSource>(sqlite3_column_int(m_names, 3)),
                             sqlite3_column_int(m_names, 4)});
    }
    return found;
}

std::vector<KanjiReading> NameIndex::kanji(const QString& kanji) const {
    std::vector<KanjiReading> found;
    if (!m_kanji)
        return found;
    sqlite3_reset(m_kanji);
    bindText(m_kanji, 1, kanji);
    while (sqlite3_step(m_kanji) == SQLITE_ROW)
        found.push_back({kanji, textAt(m_kanji, 0),
                         static_cast<KanjiReadingKind>(sqlite3_column_int(m_kanji, 1)),
                         sqlite3_column_int(m_kanji, 2)});
    return found;
}

bool NameIndex::isFamilyName(const QString& text) const {
    return !lookUp(text, kFamilyName).empty();
}

namespace {

std::once_flag& started() {
    static std::once_flag flag;
    return flag;
}

std::shared_future<QString>& sharedIndex() {
    static std::shared_future<QString> index;
    return index;
}

}  // namespace

void prepareNameIndexInBackground() {
    // Where no thread can be started (a tool under a tight process limit),
    // the index is made when it is first asked for.
    std::call_once(started(), [] {
        sharedIndex() = std::async(std::launch::async | std::launch::deferred, [] {
                            const QString path = NameIndex::defaultPath();
                            return NameIndex::ensure(path) ? path : QString();
                        }).share();
    });
}

QString sharedNameIndexPath() {
    prepareNameIndexInBackground();
    return sharedIndex().get();
}

}  // namespace quillo
