#include "store/reading_index.h"

#include <QHash>

#include "engine/statement.h"
#include "platform/kana_order.h"
#include "platform/kana_text.h"
#include "platform/romaji.h"
#include "store/query_builder.h"
#include "store/tdm.h"

namespace quillo {

namespace {

QString readingText(const Statement& statement, int column) {
    if (statement.typeAt(column) != Statement::ValueType::Text)
        return QString();
    const QByteArrayView bytes = statement.textAt(column);
    return QString::fromUtf8(bytes.data(), bytes.size());
}

QString romajiOf(const QString& reading) {
    QString romaji = hepburnRomaji(reading);
    romaji.remove(u' ');
    return romaji;
}

}  // namespace

ReadingIndex::ReadingIndex(TDM& store) : m_store(store) {
    m_store.QueryBook().addListener(this);
}

ReadingIndex::~ReadingIndex() {
    m_store.QueryBook().removeListener(this);
}

QString ReadingIndex::column() const {
    const std::vector<OrderTerm> terms = BuildOrderTerms(m_store.sortSettings());
    return !terms.empty() && terms.front().reading && !terms.front().descending
               ? terms.front().column
               : QString();
}

bool ReadingIndex::available() const {
    return !column().isEmpty() && m_store.QueryBook().isActive();
}

const std::vector<ReadingIndex::Row>& ReadingIndex::rows() {
    const CachedDataset& q = m_store.QueryBook();
    if (!m_rows.empty() || q.rowCount() == 0)
        return m_rows;
    QHash<qint64, QString> readings;
    Statement all(m_store.Database().handle(),
                  {QStringLiteral("SELECT ID, %1 FROM quillo_reading").arg(column())});
    while (all.step())
        readings.insert(all.integerAt(0), readingText(all, 1));
    const int id = q.fieldIndex(QStringLiteral("ID"));
    m_rows.reserve(static_cast<size_t>(q.rowCount()));
    for (int row = 0; row < q.rowCount(); ++row) {
        const QString reading = readings.value(q.textAt(row, id).toLongLong());
        m_rows.push_back({reading, plainKana(reading), romajiOf(reading)});
    }
    return m_rows;
}

template <typename Test>
int ReadingIndex::firstRow(Test test) {
    if (!available())
        return -1;
    const std::vector<Row>& all = rows();
    for (size_t row = 0; row < all.size(); ++row) {
        if (test(all[row]))
            return static_cast<int>(row);
    }
    return -1;
}

int ReadingIndex::rowOfTyped(const QString& typed) {
    QString text = typed;
    text.remove(u' ');
    if (text.isEmpty())
        return -1;
    // Latin letters are romaji (or a Latin reading); anything else is kana.
    const bool latin = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x80 && c.isLetterOrNumber();
    });
    if (latin) {
        const QString wanted = text.toLower();
        return firstRow([&](const Row& r) { return r.romaji.startsWith(wanted); });
    }
    const QString wanted = plainKana(katakanaReading(text));
    return firstRow([&](const Row& r) { return r.plain.startsWith(wanted); });
}

int ReadingIndex::rowOfKanaRow(int kanaRowWanted) {
    // A row of the table no book starts in leads to the next one that has books.
    return firstRow([&](const Row& r) { return kanaRow(r.reading) >= kanaRowWanted; });
}

int ReadingIndex::rowOfLetter(QChar letter) {
    const QChar wanted = letter.toLower();
    return firstRow(
        [&](const Row& r) { return r.reading.startsWith(wanted, Qt::CaseInsensitive); });
}

QString ReadingIndex::placeOf(int row) const {
    const CachedDataset& q = m_store.QueryBook();
    if (!available() || row < 0 || row >= q.rowCount())
        return QString();
    QString reading;
    if (row < static_cast<int>(m_rows.size())) {
        reading = m_rows[static_cast<size_t>(row)].reading;
    } else {
        Statement one(m_store.Database().handle(),
                      {QStringLiteral("SELECT %1 FROM quillo_reading WHERE ID = ?").arg(column())});
        one.bindInteger(1, q.textAt(row, q.fieldIndex(QStringLiteral("ID"))).toLongLong());
        if (one.step())
            reading = readingText(one, 0);
    }
    if (const int kana = kanaRow(reading); kana >= 0)
        return kanaRowName(kana);
    if (!reading.isEmpty() && reading[0].unicode() < 0x80 && reading[0].isLetter())
        return reading[0].toUpper();
    return QString();
}

}  // namespace quillo
