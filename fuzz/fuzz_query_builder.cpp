// The query builder on a real table: a filter and a search built into SQL text
// find exactly the rows that the same query finds with the text bound as a
// parameter, so no text can change what the SQL means.
#include <set>

#include "engine/catalogue_file.h"
#include "engine/connection.h"
#include "engine/packed_row.h"
#include "engine/statement.h"
#include "fuzz_support.h"
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
