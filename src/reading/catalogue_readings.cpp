#include "reading/catalogue_readings.h"

#include "engine/connection.h"
#include "engine/statement.h"
#include "reading/reading_analyzer.h"
#include "store/book_record.h"

namespace quillo {

namespace {

// Title, Writer and Publisher as 0, 1 and 2; -1 for a field without a reading.
int readingIndex(int field) {
    return field >= FieldNo::Title && field <= FieldNo::Publisher ? field - FieldNo::Title : -1;
}

QString bookText(sqlite3* db, qint64 id, int field) {
    static const char* const kColumns[] = {"Title", "Writer", "Publisher"};
    Statement statement(db, {QStringLiteral("SELECT %1 FROM quillo WHERE ID = ?")
                                 .arg(QLatin1String(kColumns[readingIndex(field)]))});
    statement.bindInteger(1, id);
    if (!statement.step() || statement.typeAt(0) != Statement::ValueType::Text)
        return QString();
    const QByteArrayView bytes = statement.textAt(0);
    return QString::fromUtf8(bytes.data(), bytes.size());
}

}  // namespace

CatalogueReadings::CatalogueReadings(Connection& connection)
    : m_connection(connection), m_table(connection.handle()) {}

CatalogueReadings::~CatalogueReadings() = default;

const ReadingAnalyzer& CatalogueReadings::analyzer() const {
    if (!m_analyzer)
        m_analyzer = std::make_unique<ReadingAnalyzer>();
    return *m_analyzer;
}

QString CatalogueReadings::limitation() const {
    return analyzer().limitation();
}

int CatalogueReadings::booksToRead() const {
    if (m_table.exists())
        return m_table.booksOutOfStep();
    Statement count(m_connection.handle(), {QStringLiteral("SELECT count(*) FROM quillo")});
    return count.step() ? static_cast<int>(count.integerAt(0)) : 0;
}

void CatalogueReadings::prepare(bool writable, const std::function<void(int, int)>& progress) {
    if (!writable) {
        m_ready = m_table.inStep();
        return;
    }
    if (!m_table.exists() || !m_table.inStep()) {
        TransactionGuard transaction(m_connection);
        m_table.create();
        m_table.sync(analyzer(), progress);
        transaction.commit();
    }
    m_ready = true;
}

bool CatalogueReadings::booksWritten(const std::vector<qint64>& ids) {
    if (!m_ready)
        return false;
    m_table.sync(analyzer(), ids);
    QHash<QString, QString> names;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        const auto& [title, writer, publisher] = it.value();
        if (title)
            m_table.setTitleReading(it.key(), *title);
        for (const auto& [field, reading] :
             {std::pair{FieldNo::Writer, writer}, std::pair{FieldNo::Publisher, publisher}}) {
            if (!reading)
                continue;
            const QString name = bookText(m_connection.handle(), it.key(), field);
            if (!name.isEmpty())
                names.insert(name, *reading);
        }
    }
    // The search texts of the books whose readings were set are made again.
    if (!names.isEmpty())
        m_table.learn(analyzer(), names);
    else if (!m_pending.isEmpty())
        m_table.sync(analyzer(), std::vector<qint64>(m_pending.keyBegin(), m_pending.keyEnd()));
    return !names.isEmpty();
}

QString CatalogueReadings::reading(qint64 id, int field, const QString& text) const {
    const int index = readingIndex(field);
    if (index < 0 || text.isEmpty())
        return QString();
    const auto pending = m_pending.constFind(id);
    if (pending != m_pending.constEnd() && (*pending)[static_cast<size_t>(index)])
        return *(*pending)[static_cast<size_t>(index)];
    if (m_ready && bookText(m_connection.handle(), id, field) == text) {
        const QString stored = m_table.reading(id, field);
        if (!stored.isEmpty())
            return stored;
    }
    return readingOf(text, field);
}

QString CatalogueReadings::readingOf(const QString& text, int field) const {
    if (text.isEmpty() || readingIndex(field) < 0)
        return QString();
    if (field != FieldNo::Title && m_ready) {
        const QString learned = m_table.learned(text);
        if (!learned.isEmpty())
            return learned;
    }
    return analyzer().reading(text,
                              field == FieldNo::Writer ? ReadingKind::Name : ReadingKind::Text);
}

void CatalogueReadings::setReading(qint64 id, int field, const QString& reading) {
    const int index = readingIndex(field);
    if (index >= 0)
        m_pending[id][static_cast<size_t>(index)] = reading;
}

}  // namespace quillo
