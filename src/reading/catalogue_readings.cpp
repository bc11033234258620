#include "reading/catalogue_readings.h"

#include "engine/connection.h"
#include "engine/statement.h"
#include "reading/reading_analyzer.h"
#include "store/book_record.h"

#include <algorithm>

namespace quillo {

namespace {

// The place of a field among those with a reading, or -1.
int readingIndex(int field) {
    const auto at = std::find(kReadFields.begin(), kReadFields.end(), field);
    return at == kReadFields.end() ? -1 : static_cast<int>(at - kReadFields.begin());
}

QString bookText(sqlite3* db, qint64 id, int field) {
    Statement statement(db, {QStringLiteral("SELECT %1 FROM quillo WHERE ID = ?")
                                 .arg(QLatin1String(bookField(field).column))});
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

const LearnedNames& CatalogueReadings::learned() const {
    if (!m_learned)
        m_learned = m_ready ? m_table.learnedNames() : LearnedNames{};
    return *m_learned;
}

QString CatalogueReadings::limitation() const {
    return analyzer().limitation();
}

int CatalogueReadings::booksToRead() const {
    // Keys of an older version: every book is ordered anew.
    if (m_table.exists() && m_table.keysInStep())
        return m_table.booksOutOfStep();
    Statement count(m_connection.handle(), {QStringLiteral("SELECT count(*) FROM quillo")});
    return count.step() ? static_cast<int>(count.integerAt(0)) : 0;
}

void CatalogueReadings::prepare(bool writable, const std::function<void(int, int)>& progress) {
    if (!writable) {
        m_ready = m_table.inStep();
        // An older version's keys, ordered anew beside the file for as long
        // as it is open.
        if (m_ready && !m_table.keysInStep()) {
            TransactionGuard transaction(m_connection);
            m_table.rekeyAside();
            transaction.commit();
        }
        return;
    }
    if (!m_table.exists() || !m_table.inStep()) {
        TransactionGuard transaction(m_connection);
        m_table.create(analyzer());
        m_table.sync(analyzer(), progress);
        transaction.commit();
    }
    // Keys an older version made (numbers ordered as words) are made again.
    if (!m_table.keysInStep()) {
        TransactionGuard transaction(m_connection);
        m_table.create(analyzer());
        m_table.rekey();
        transaction.commit();
    }
    m_ready = true;
    m_learned.reset();
}

bool CatalogueReadings::booksAdded(qint64 first, qint64 last) {
    if (!m_ready)
        return false;
    if (last - first >= static_cast<qint64>(ReadingTable::kReadOneByOne)) {
        m_table.sync(analyzer());
        return pendingWritten();
    }
    std::vector<qint64> ids;
    for (qint64 id = first; id <= last; ++id)
        ids.push_back(id);
    return booksWritten(ids);
}

bool CatalogueReadings::booksWritten(const std::vector<qint64>& ids) {
    if (!m_ready)
        return false;
    m_table.sync(analyzer(), ids);
    return pendingWritten();
}

bool CatalogueReadings::pendingWritten() {
    // A title's reading the user gave is the book's own, as is every reading
    // a file gave; a name's the user gave is learned for the name, for every
    // book with it.
    QHash<QString, QString> names;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        const quint8 own = m_ownFields.value(it.key());
        for (size_t i = 0; i < kReadFields.size(); ++i) {
            const std::optional<QString>& reading = it.value()[i];
            if (!reading)
                continue;
            const int field = kReadFields[i];
            if (field == FieldNo::Title || (own & (1u << i))) {
                m_table.setReading(it.key(), field, *reading);
                continue;
            }
            const QString name = bookText(m_connection.handle(), it.key(), field);
            if (!name.isEmpty())
                names.insert(name, *reading);
        }
    }
    // The search texts of the books whose readings were set are made again.
    if (!names.isEmpty()) {
        m_table.learn(analyzer(), names);
        m_learned.reset();
    }
    if (!m_pending.isEmpty())
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
    return analyzer().read(text, readingKindOf(field), &learned()).text;
}

void CatalogueReadings::setReading(qint64 id, int field, const QString& reading) {
    const int index = readingIndex(field);
    if (index < 0)
        return;
    m_pending[id][static_cast<size_t>(index)] = reading;
    if (const auto own = m_ownFields.find(id); own != m_ownFields.end())
        *own &= static_cast<quint8>(~(1u << index));
}

void CatalogueReadings::setOwnReading(qint64 id, int field, const QString& reading) {
    const int index = readingIndex(field);
    if (index < 0)
        return;
    m_pending[id][static_cast<size_t>(index)] = reading;
    m_ownFields[id] |= static_cast<quint8>(1u << index);
}

QStringList CatalogueReadings::candidates(const QString& text, int field) const {
    if (text.trimmed().isEmpty() || readingIndex(field) < 0)
        return {};
    QStringList offered{readingOf(text, field)};
    for (const QString& reading : analyzer().candidates(text, readingKindOf(field)))
        if (!offered.contains(reading))
            offered << reading;
    return offered;
}

bool CatalogueReadings::uncertain(qint64 id, int field) const {
    return m_ready && m_table.uncertain(id, field);
}

int CatalogueReadings::uncertainBooks() const {
    return m_ready ? m_table.uncertainBooks() : 0;
}

}  // namespace quillo
