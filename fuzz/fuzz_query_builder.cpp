// The query builder on a real table: every filter (plain, and over the
// readings in reading order), the search and the 重複の候補 list built into SQL
// text find exactly the rows that the same query finds with the text bound as
// a parameter, so no text can change what the SQL means.
#include <set>

#include "engine/catalogue_file.h"
#include "engine/connection.h"
#include "engine/packed_row.h"
#include "engine/statement.h"
#include "fuzz_support.h"
#include "platform/search_fold.h"
#include "reading/catalogue_readings.h"
#include "store/book_table.h"
#include "store/query_builder.h"

using namespace quillo;

namespace {

Connection& catalogue() {
    static Connection* connection = [] {
        Connection::setAliasPath(QStringLiteral("book"),
                                 fuzz::scratchFolder() + QStringLiteral("/query.db"));
        CreateCatalogueIfMissing(fuzz::scratchFolder() + QStringLiteral("/query.db"));
        auto* c = new Connection(QStringLiteral("book"));
        c->execute(QStringLiteral("DELETE FROM quillo"));
        c->execute(QStringLiteral(
            "INSERT INTO quillo (ID, Title, Writer) VALUES (1, 'O''Neil: a:b', '夏目'),"
            " (2, '100% off_now', 'x''y'), (3, '$dollar$', ':Name'), (4, '猫', NULL),"
            " (5, 'a\"b', 'ab'), (6, '', ' ')"));
        // The readings and search texts beside the books, as the program keeps them.
        static CatalogueReadings readings(*c);
        readings.prepare(true);
        return c;
    }();
    return *connection;
}

std::set<qint64> ids(const QStringList& sql, const QByteArray* bound = nullptr) {
    Statement statement(catalogue().handle(), sql);
    if (bound)
        statement.bindText(1, *bound);
    std::set<qint64> found;
    while (statement.step())
        found.insert(statement.currentRow().integer(0));
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QString text = QString::fromUtf8(fuzz::bytesOf(data, size));
    FieldFlags flags{};
    flags[FieldNo::Title] = 1;
    flags[FieldNo::Writer] = 1;
    const FieldNameTable names;
    SortSettings sort;
    if (const auto filter = BuildFilterSql(text, flags, sort, names)) {
        // The builder leaves NULs out; the text is a plain substring (no wildcards),
        // both sides folded (the database's FOLD on the bound text folds as the
        // builder does).
        const QByteArray bound = QString(text).remove(QChar(0)).toUtf8();
        const QStringList reference = {
            QStringLiteral("SELECT * FROM QUILLO WHERE instr(FOLD(Title), FOLD(?1)) > 0 OR "
                           "instr(FOLD(Writer), FOLD(?1)) > 0")};
        if (ids(filter->lines) != ids(reference, &bound))
            fuzz::broken("a filter's SQL found other rows than its text bound as a parameter");
    }
    // The filter over the readings, in reading order (joined with the reading
    // keys), the way the program builds it with readings kept.
    SortSettings byReading;
    byReading.reading = true;
    if (const auto filter = BuildFilterSql(text, flags, byReading, names, true)) {
        const QString folded = foldForSearch(text);
        const ReadingPatterns patterns = ReadingPatternsOf(folded);
        // An empty text is the plain filter (every book), the rest the one over
        // the folded texts and readings.
        Statement reference(
            catalogue().handle(),
            {folded.isEmpty()
                 ? QStringLiteral("SELECT ID FROM quillo")
                 : QStringLiteral("SELECT q.ID FROM quillo q JOIN quillo_search s ON"
                                  " s.ID = q.ID WHERE FINDS(s.Folded, ?1, ?2, ?3, 6)")});
        if (!folded.isEmpty()) {
            // The builder leaves NULs out of the texts it writes into SQL.
            auto bound = [](QString text) { return text.remove(QChar(0)).toUtf8(); };
            reference.bindText(1, bound(folded));
            reference.bindText(2, bound(patterns.kana));
            reference.bindText(3, bound(patterns.romaji));
        }
        std::set<qint64> expected;
        while (reference.step())
            expected.insert(reference.currentRow().integer(0));
        if (ids(filter->lines) != expected)
            fuzz::broken("a reading filter's SQL found other rows than its text bound");
    }
    for (bool fuzzy : {true, false}) {
        const auto search = BuildSearchSql(text, flags, fuzzy, QString(), sort, names);
        if (!search)
            continue;
        QString plain = QString(text).remove(QChar(0));
        QByteArray bound;
        QString reference;
        if (fuzzy) {
            plain.replace(QLatin1Char('$'), QStringLiteral("$$"));
            plain.replace(QLatin1Char('%'), QStringLiteral("$%"));
            plain.replace(QLatin1Char('_'), QStringLiteral("$_"));
            bound = plain.toUtf8();
            reference = QStringLiteral(
                "SELECT * FROM QUILLO WHERE Title LIKE '%' || ?1 || '%' ESCAPE '$'"
                " OR Writer LIKE '%' || ?1 || '%' ESCAPE '$'");
        } else {
            bound = plain.toUtf8();
            reference = QStringLiteral("SELECT * FROM QUILLO WHERE Title = ?1 OR Writer = ?1");
        }
        if (ids({*search}) != ids({reference}, &bound))
            fuzz::broken("a search's SQL found other rows than its text bound as a parameter");
    }
    return 0;
}
