#include "csv/csv_heading.h"

#include <QCryptographicHash>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

#include "store/book_record.h"

namespace quillo {

QString csvNameKey(const QString& text) {
    static const QRegularExpression spacing(QStringLiteral("[\\s_\\-]"));
    QString key = text.trimmed().normalized(QString::NormalizationForm_KC).toCaseFolded();
    key.remove(spacing);
    return key;
}

namespace {

struct Known {
    CsvColumn::Kind kind;
    int target;
};

// Names other programs give the columns, beside Quillo's own labels.
QHash<QString, Known> knownNames(const QStringList& userLabels) {
    using K = CsvColumn::Kind;
    QHash<QString, Known> names;
    auto add = [&](std::initializer_list<const char*> words, Known known) {
        for (const char* word : words)
            names.insert(csvNameKey(QString::fromUtf8(word)), known);
    };
    add({"書名", "タイトル", "題名", "title"}, {K::Field, FieldNo::Title});
    add({"著者名", "著者", "作者", "author", "writer"}, {K::Field, FieldNo::Writer});
    add({"authors", "creators", "creator", "著者名（複数）"}, {K::Writers, FieldNo::Writer});
    add({"出版社", "発行所", "publisher"}, {K::Field, FieldNo::Publisher});
    add({"初版発行日", "発行日", "出版日", "刊行日", "pubdate", "published", "publication date",
         "date"},
        {K::Field, FieldNo::PubDate});
    add({"購入日", "timestamp", "date bought", "date added", "bought", "purchased"},
        {K::Field, FieldNo::BuyDate});
    add({"副題", "サブタイトル", "subtitle", "series", "シリーズ"}, {K::Field, FieldNo::SubTitle});
    add({"分類", "ジャンル", "kind", "tags", "tag", "genre", "category"},
        {K::Field, FieldNo::Kind});
    add({"翻訳者", "訳者", "translator", "translators"}, {K::Field, FieldNo::Translator});
    add({"メモ", "備考", "memo", "comments", "comment", "note", "notes"},
        {K::Field, FieldNo::Memo});
    const int more[] = {FieldNo::Writer2, FieldNo::Writer3, FieldNo::Writer4, FieldNo::Writer5};
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 2);
        names.insert(csvNameKey(QStringLiteral("著者名") + n), {K::Field, more[i]});
        names.insert(csvNameKey(QStringLiteral("author") + n), {K::Field, more[i]});
    }
    add({"書名ヨミ", "書名よみ", "title reading"}, {K::Reading, 0});
    add({"著者名ヨミ", "著者名よみ", "author reading"}, {K::Reading, 1});
    add({"出版社ヨミ", "出版社よみ", "publisher reading"}, {K::Reading, 2});
    add({"ISBN", "ISBN13", "ISBN-13", "ISBN10", "ISBN-10", "ISBNコード"}, {K::Isbn, 0});
    // The table's own column names, and the labels (default and the user's).
    const FieldNameTable table;
    for (int field = 0; field < kFieldCount; ++field) {
        if (field == FieldNo::ID)
            continue;
        names.insert(csvNameKey(table.name(field)), {K::Field, field});
        names.insert(csvNameKey(QString::fromUtf8(bookField(field).defaultLabel)),
                     {K::Field, field});
    }
    for (qsizetype c = 0; c < userLabels.size() && c < qsizetype(kCsvFields.size()); ++c)
        if (!userLabels[c].trimmed().isEmpty())
            names.insert(csvNameKey(userLabels[c]), {K::Field, kCsvFields[size_t(c)]});
    return names;
}

}  // namespace

std::optional<QList<CsvColumn>> readCsvHeading(const QStringList& fields,
                                               const QStringList& userLabels, bool forced) {
    static const QHash<QString, Known> standard = knownNames({});
    const QHash<QString, Known> names = userLabels.isEmpty() ? standard : knownNames(userLabels);
    QList<CsvColumn> columns;
    int known = 0, unknown = 0;
    bool dataLike = false;
    QList<QPair<CsvColumn::Kind, int>> taken;
    for (const QString& field : fields) {
        CsvColumn column;
        column.name = field.trimmed();
        const auto found = names.constFind(csvNameKey(field));
        if (found != names.constEnd()) {
            ++known;
            // A second column for the same field is not read over the first.
            const QPair<CsvColumn::Kind, int> target{found->kind, found->target};
            if (!taken.contains(target)) {
                taken << target;
                column.kind = found->kind;
                column.target = found->target;
            }
        } else if (!column.name.isEmpty()) {
            ++unknown;
            // A date or a number is a book's, not a column's name.
            dataLike = dataLike || std::any_of(column.name.begin(), column.name.end(),
                                               [](QChar c) { return c.isDigit(); });
        }
        columns << column;
    }
    if (known == 0 || (!forced && (dataLike || (known < 2 && unknown > 0))))
        return std::nullopt;
    return columns;
}

QString csvHeadingKey(const QStringList& fields) {
    QStringList keys;
    for (const QString& field : fields)
        keys << csvNameKey(field);
    const QByteArray digest =
        QCryptographicHash::hash(keys.join(QChar(0x1F)).toUtf8(), QCryptographicHash::Sha1);
    return QString::fromLatin1(digest.toHex().left(16));
}

QString csvColumnsText(const QList<CsvColumn>& columns) {
    QStringList codes;
    for (const CsvColumn& column : columns) {
        switch (column.kind) {
            case CsvColumn::Kind::Field:
                codes << QStringLiteral("F") + QString::number(column.target);
                break;
            case CsvColumn::Kind::Writers:
                codes << QStringLiteral("W");
                break;
            case CsvColumn::Kind::Reading:
                codes << QStringLiteral("R") + QString::number(column.target);
                break;
            case CsvColumn::Kind::Isbn:
                codes << QStringLiteral("I");
                break;
            case CsvColumn::Kind::Note:
            case CsvColumn::Kind::RoledNames:
            case CsvColumn::Kind::Roles:
            case CsvColumn::Kind::Same:
            case CsvColumn::Kind::Ignored:
                // Where another program's columns go is its shape's, not the
                // user's to keep: they read again as that shape says.
                codes << QStringLiteral("-");
                break;
        }
    }
    return codes.join(QLatin1Char(','));
}

std::optional<QList<CsvColumn>> csvColumnsFromText(const QString& text, const QStringList& names) {
    const QStringList codes = text.split(QLatin1Char(','));
    if (text.isEmpty() || codes.size() != names.size())
        return std::nullopt;
    QList<CsvColumn> columns;
    for (qsizetype c = 0; c < codes.size(); ++c) {
        const QString code = codes[c].trimmed();
        CsvColumn column;
        column.name = names[c].trimmed();
        bool ok = true;
        const int number = code.size() > 1 ? code.mid(1).toInt(&ok) : -1;
        if (code == QLatin1String("I")) {
            column.kind = CsvColumn::Kind::Isbn;
            column.target = 0;
        } else if (code == QLatin1String("W")) {
            column.kind = CsvColumn::Kind::Writers;
            column.target = FieldNo::Writer;
        } else if (code.startsWith(QLatin1Char('F')) && ok && number > FieldNo::ID &&
                   number < kFieldCount) {
            column.kind = CsvColumn::Kind::Field;
            column.target = number;
        } else if (code.startsWith(QLatin1Char('R')) && ok && number >= 0 && number < 3) {
            column.kind = CsvColumn::Kind::Reading;
            column.target = number;
        } else if (code != QLatin1String("-")) {
            return std::nullopt;
        }
        columns << column;
    }
    return columns;
}

QStringList ignoredCsvColumns(const QList<CsvColumn>& columns) {
    QStringList names;
    for (const CsvColumn& column : columns)
        if (column.kind == CsvColumn::Kind::Ignored && !column.name.isEmpty())
            names << column.name;
    return names;
}

QString memoText(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == u'\n' || text[end - 1] == u'\r'))
        --end;
    return text.left(end);
}

QStringList splitAuthorNames(const QString& text) {
    static const QRegularExpression between(QStringLiteral("\\s*(?:\\s&\\s|[;；])\\s*"));
    QStringList names;
    for (const QString& name : text.split(between))
        if (!name.trimmed().isEmpty())
            names << name.trimmed();
    return names;
}

}  // namespace quillo
