#include "store/same_books.h"

#include "engine/cached_dataset.h"
#include "engine/statement.h"
#include "platform/search_fold.h"

namespace quillo {

namespace {

QString withoutBlanks(QString text) {
    text.remove(u' ');
    text.remove(u'\u3000');
    return text;
}

QString textAt(const Statement& statement, int column) {
    if (statement.typeAt(column) != Statement::ValueType::Text)
        return QString();
    const QByteArrayView bytes = statement.textAt(column);
    return QString::fromUtf8(bytes.data(), bytes.size());
}

// The key as SQL makes it from a column: folded, without blanks.
QString sqlKey(const QString& column) {
    return QStringLiteral("replace(replace(ifnull(FOLD(%1), ''), ' ', ''), '　', '')").arg(column);
}
QString sqlKey(const char* column) {
    return sqlKey(QLatin1String(column));
}

}  // namespace

QString sameBookKey(const QString& title, const QString& writer) {
    return withoutBlanks(foldForSearch(title)) + QChar(0x1F) + withoutBlanks(foldForSearch(writer));
}

std::optional<SameBook> findSameBook(sqlite3* db, const CachedDataset& pending, qint64 exceptId,
                                     const QString& title, const QString& writer) {
    const QString key = sameBookKey(title, writer);
    // Books not stored yet (added in this session) are looked at in memory;
    // the stored ones by SQL, which folds as the filter does.
    qint64 storedMax = 0;
    {
        Statement max(db, {QStringLiteral("SELECT ifnull(max(ID), 0) FROM quillo")});
        if (max.step())
            storedMax = max.integerAt(0);
    }
    const int id = pending.fieldIndex(QStringLiteral("ID"));
    const int titleField = pending.fieldIndex(QStringLiteral("Title"));
    const int writerField = pending.fieldIndex(QStringLiteral("Writer"));
    if (pending.isActive() && id >= 0 && titleField >= 0 && writerField >= 0) {
        for (int row = 0; row < pending.rowCount(); ++row) {
            const qint64 rowId = pending.textAt(row, id).toLongLong();
            if (rowId <= storedMax || rowId == exceptId)
                continue;
            const QString t = pending.textAt(row, titleField), w = pending.textAt(row, writerField);
            if (sameBookKey(t, w) == key)
                return SameBook{rowId, t, w};
        }
    }
    Statement same(db, {QStringLiteral("SELECT ID, Title, Writer FROM quillo WHERE ID <> ? AND"
                                       " %1 = ? AND %2 = ? ORDER BY ID LIMIT 1")
                            .arg(sqlKey("Title"), sqlKey("Writer"))});
    same.bindInteger(1, exceptId);
    same.bindText(2, withoutBlanks(foldForSearch(title)).toUtf8());
    same.bindText(3, withoutBlanks(foldForSearch(writer)).toUtf8());
    if (same.step())
        return SameBook{same.integerAt(0), textAt(same, 1), textAt(same, 2)};
    return std::nullopt;
}

QSet<QString> storedSameBookKeys(sqlite3* db) {
    QSet<QString> keys;
    Statement all(db, {QStringLiteral("SELECT Title, Writer FROM quillo")});
    while (all.step())
        keys.insert(sameBookKey(textAt(all, 0), textAt(all, 1)));
    return keys;
}

SameBooksBeforeImport::SameBooksBeforeImport(sqlite3* db)
    : m_db(db), m_present(storedSameBookKeys(db)) {
    Statement last(db, {QStringLiteral("SELECT ifnull(max(ID), 0) FROM quillo")});
    if (last.step())
        m_lastId = last.integerAt(0);
}

QString SameBooksBeforeImport::note(const CachedDataset* pending) const {
    int same = 0;
    if (pending) {
        const int id = pending->fieldIndex(QStringLiteral("ID"));
        const int title = pending->fieldIndex(QStringLiteral("Title"));
        const int writer = pending->fieldIndex(QStringLiteral("Writer"));
        for (int row = 0; row < pending->rowCount(); ++row) {
            if (pending->textAt(row, id).toLongLong() > m_lastId &&
                m_present.contains(
                    sameBookKey(pending->textAt(row, title), pending->textAt(row, writer))))
                ++same;
        }
    } else {
        Statement added(m_db, {QStringLiteral("SELECT Title, Writer FROM quillo WHERE ID > ?")});
        added.bindInteger(1, m_lastId);
        while (added.step()) {
            if (m_present.contains(sameBookKey(textAt(added, 0), textAt(added, 1))))
                ++same;
        }
    }
    return same > 0 ? QStringLiteral("うち %1 冊は同じ書名・著者名の本がすでにあります").arg(same)
                    : QString();
}

QString sameBooksCondition(const QString& table) {
    auto key = [](const QString& prefix) {
        return sqlKey(prefix + QStringLiteral("Title")) + QStringLiteral(" || char(31) || ") +
               sqlKey(prefix + QStringLiteral("Writer"));
    };
    return QStringLiteral(" WHERE %1 IN (SELECT %2 FROM quillo GROUP BY 1 HAVING count(*) > 1) ")
        .arg(key(table), key(QString()));
}

}  // namespace quillo
