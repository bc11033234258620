#include "reading/reading_table.h"

#include <sqlite3.h>

#include <QHash>
#include <vector>

#include "engine/engine_error.h"
#include "engine/statement.h"
#include "reading/reading_analyzer.h"
#include "store/book_record.h"

namespace quillo {

namespace {

void run(sqlite3* db, const QString& sql) {
    Statement statement(db, {sql});
    while (statement.step()) {
    }
}

QString textAt(const Statement& statement, int column) {
    const QByteArrayView bytes = statement.textAt(column);
    return QString::fromUtf8(bytes.data(), bytes.size());
}

void bindTextOrNull(Statement& statement, int index, const QString& text) {
    if (text.isNull())
        statement.bindNull(index);
    else
        statement.bindText(index, text.toUtf8());
}

const char* columnOf(int field) {
    switch (field) {
        case FieldNo::Title:
            return "Title";
        case FieldNo::Writer:
            return "Writer";
        case FieldNo::Publisher:
            return "Publisher";
        default:
            return nullptr;
    }
}

struct Book {
    qint64 id;
    QString title, writer, publisher;
};

}  // namespace

bool ReadingTable::exists() const {
    Statement statement(m_db, {QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = "
                                              "'table' AND name IN ('quillo_reading', "
                                              "'quillo_learned_reading')")});
    return statement.step() && statement.integerAt(0) == 2;
}

void ReadingTable::create() {
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_reading (ID INTEGER PRIMARY KEY,"
                             " Title TEXT, Writer TEXT, Publisher TEXT, TitleText TEXT,"
                             " WriterText TEXT, PublisherText TEXT)"));
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_learned_reading (Name TEXT"
                             " PRIMARY KEY, Reading TEXT NOT NULL)"));
}

int ReadingTable::sync(const ReadingAnalyzer& analyzer,
                       const std::function<void(int, int)>& progress) {
    run(m_db, QStringLiteral("DELETE FROM quillo_reading WHERE ID NOT IN (SELECT ID FROM quillo)"));
    // The books whose texts are not the ones their readings were made from.
    std::vector<Book> books;
    {
        Statement stale(m_db,
                        {QStringLiteral("SELECT q.ID, q.Title, q.Writer, q.Publisher"),
                         QStringLiteral("FROM quillo q LEFT JOIN quillo_reading r ON r.ID = "
                                        "q.ID"),
                         QStringLiteral("WHERE r.ID IS NULL OR r.TitleText IS NOT q.Title OR"),
                         QStringLiteral("  r.WriterText IS NOT q.Writer OR r.PublisherText "
                                        "IS NOT q.Publisher")});
        while (stale.step()) {
            auto text = [&](int column) {
                return stale.typeAt(column) == Statement::ValueType::Null ? QString()
                                                                          : textAt(stale, column);
            };
            books.push_back({stale.integerAt(0), text(1), text(2), text(3)});
        }
    }
    // The corrected readings, looked up book after book.
    QHash<QString, QString> corrected;
    {
        Statement all(m_db, {QStringLiteral("SELECT Name, Reading FROM quillo_learned_reading")});
        while (all.step())
            corrected.insert(textAt(all, 0), textAt(all, 1));
    }
    Statement write(m_db, {QStringLiteral("INSERT OR REPLACE INTO quillo_reading (ID, Title,"
                                          " Writer, Publisher, TitleText, WriterText,"
                                          " PublisherText) VALUES (?, ?, ?, ?, ?, ?, ?)")});
    const int total = static_cast<int>(books.size());
    int done = 0;
    for (const Book& book : books) {
        auto nameReading = [&](const QString& name, ReadingKind kind) {
            if (name.isEmpty())
                return QString();
            const auto found = corrected.constFind(name);
            return found != corrected.constEnd() ? *found : analyzer.reading(name, kind);
        };
        write.reset();
        write.bindInteger(1, book.id);
        bindTextOrNull(write, 2, analyzer.reading(book.title, ReadingKind::Text));
        bindTextOrNull(write, 3, nameReading(book.writer, ReadingKind::Name));
        bindTextOrNull(write, 4, nameReading(book.publisher, ReadingKind::Text));
        bindTextOrNull(write, 5, book.title);
        bindTextOrNull(write, 6, book.writer);
        bindTextOrNull(write, 7, book.publisher);
        write.step();
        if (progress && (++done % 1000 == 0 || done == total))
            progress(done, total);
    }
    return total;
}

QString ReadingTable::reading(qint64 id, int field) const {
    const char* column = columnOf(field);
    if (!column)
        return QString();
    Statement statement(
        m_db,
        {QStringLiteral("SELECT %1 FROM quillo_reading WHERE ID = ?").arg(QLatin1String(column))});
    statement.bindInteger(1, id);
    return statement.step() && statement.typeAt(0) == Statement::ValueType::Text
               ? textAt(statement, 0)
               : QString();
}

void ReadingTable::learn(const QString& name, const QString& reading) {
    Statement keep(m_db, {QStringLiteral("INSERT OR REPLACE INTO quillo_learned_reading (Name,"
                                         " Reading) VALUES (?, ?)")});
    keep.bindText(1, name.toUtf8());
    keep.bindText(2, reading.toUtf8());
    keep.step();
    for (const char* column : {"Writer", "Publisher"}) {
        Statement set(m_db, {QStringLiteral("UPDATE quillo_reading SET %1 = ? WHERE %1Text = ?")
                                 .arg(QLatin1String(column))});
        set.bindText(1, reading.toUtf8());
        set.bindText(2, name.toUtf8());
        set.step();
    }
}

QString ReadingTable::learned(const QString& name) const {
    Statement statement(
        m_db, {QStringLiteral("SELECT Reading FROM quillo_learned_reading WHERE Name = ?")});
    statement.bindText(1, name.toUtf8());
    return statement.step() ? textAt(statement, 0) : QString();
}

}  // namespace quillo
