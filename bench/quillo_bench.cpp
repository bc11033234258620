// Times the catalogue store on a generated catalogue and writes the same SQL as
// scripts for the sqlite3 shell, which bench/compare.sh runs for the ratios.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "backup/auto_backups.h"
#include "bench_support.h"
#include "catalogue_generator.h"
#include "csv/csv_exchange.h"
#include "engine/cached_dataset.h"
#include "engine/catalogue_file.h"
#include "engine/sql_text.h"
#include "platform/jis_order.h"
#include "reading/catalogue_readings.h"
#include "store/book_table.h"
#include "store/headless_host.h"
#include "store/query_builder.h"
#include "store/tdm.h"

using namespace quillo;
using namespace quillo::bench;

namespace {

const QString kFilterText = QStringLiteral("の");
const QString kSearchText = QStringLiteral("佐藤");

FieldFlags allTextFields() {
    FieldFlags flags{};
    flags.fill(1);
    flags[FieldNo::ID] = 0;
    return flags;
}

QString sqlLiteral(const QString& value) {
    if (value.isEmpty())
        return QStringLiteral("NULL");
    QString quoted = value;
    return QLatin1Char('\'') + quoted.replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

// The figures compared with the sqlite3 shell sort by code point: the shell has
// neither the JIS collation nor the folding function.
SortSettings codePointSort() {
    SortSettings sort;
    sort.jis = false;
    return sort;
}

// A filter's SQL as it was before folding: the plain LIKE on each column.
QStringList unfolded(QStringList lines) {
    static const QRegularExpression fold(QStringLiteral("FOLD\\((\\w+)\\)"));
    for (QString& line : lines)
        line.replace(fold, QStringLiteral("\\1"));
    return lines;
}

QString engineText(const QStringList& lines) {
    return QString::fromUtf8(toEngineSql(lines)) + QStringLiteral(";\n");
}

// The same work for the sqlite3 shell, one script per figure.
void writeShellScripts(const QString& dir, int books, const std::vector<BookRecord>& appended) {
    QDir().mkpath(dir);
    const FieldNameTable names;
    const SortSettings sort = codePointSort();
    const FieldFlags all = allTextFields();
    writeScript(dir + QStringLiteral("/open_query_all.sql"),
                engineText({BuildUnfilteredSql(sort)}));
    writeScript(dir + QStringLiteral("/filter_all_text_fields.sql"),
                engineText(unfolded(BuildFilterSql(kFilterText, all, sort, names)->lines)));
    FieldFlags writers{};
    writers[FieldNo::Writer] = 1;
    writeScript(dir + QStringLiteral("/search_walk_100.sql"),
                engineText({*BuildSearchSql(kSearchText, writers, true, {}, sort, names)}));

    QString inserts = QStringLiteral("BEGIN;\n");
    for (const BookRecord& book : appended) {
        QStringList values{QString::number(book.id)};
        for (int k = 1; k < kFieldCount; ++k) {
            QString v = book.fields[static_cast<size_t>(k)];
            if (isDateField(k))
                v.replace(QLatin1Char('/'), QLatin1Char('-'));
            values << sqlLiteral(v);
        }
        inserts +=
            QStringLiteral("insert into quillo values (%1);\n").arg(values.join(QLatin1Char(',')));
    }
    inserts += QStringLiteral("COMMIT;\n") + engineText({BuildUnfilteredSql(sort)});
    writeScript(dir + QStringLiteral("/append_apply.sql"), inserts);

    QString renumber = QStringLiteral("BEGIN;\nSELECT rowid FROM \"QUILLO\" ORDER BY rowid;\n");
    int next = 1;
    for (int i = 1; i <= books; ++i)
        renumber += QStringLiteral("UPDATE \"QUILLO\" SET \"ID\" = %1 WHERE rowid = %2;\n")
                        .arg(next++)
                        .arg(3 * i);
    for (const BookRecord& book : appended)
        renumber += QStringLiteral("UPDATE \"QUILLO\" SET \"ID\" = %1 WHERE rowid = %2;\n")
                        .arg(next++)
                        .arg(book.id);
    renumber += QStringLiteral("COMMIT;\n");
    writeScript(dir + QStringLiteral("/renumber.sql"), renumber);

    // The CSV figures run on a fresh copy of the catalogue (export) and on an empty
    // one (import of the exported file, which compare.sh converts to UTF-8).
    writeScript(dir + QStringLiteral("/export_csv.sql"),
                QStringLiteral(".mode csv\n.output %1/shell-export.csv\n"
                               "select Title, Writer, Publisher, replace(PubDate, '-', '/'), "
                               "replace(BuyDate, '-', '/'), SubTitle, Kind, Translator, Writer2, "
                               "Writer3, Writer4, Writer5 from quillo order by ID;\n")
                    .arg(dir));
    QString columns;
    for (int c = 1; c <= 12; ++c)
        columns += QStringLiteral("%1c%2").arg(c > 1 ? QStringLiteral(", ") : QString()).arg(c);
    writeScript(
        dir + QStringLiteral("/import_apply_csv.sql"),
        QStringLiteral("create temp table t(%1);\n"
                       ".import --csv --schema temp %2/import-utf8.csv t\n"
                       "begin;\n"
                       "insert into quillo (Title, Writer, Publisher, PubDate, BuyDate, SubTitle,"
                       " Kind, Translator, Writer2, Writer3, Writer4, Writer5)"
                       " select nullif(c1,''), nullif(c2,''), nullif(c3,''),"
                       " nullif(replace(c4,'/','-'),''), nullif(replace(c5,'/','-'),''),"
                       " nullif(c6,''), nullif(c7,''), nullif(c8,''), nullif(c9,''),"
                       " nullif(c10,''), nullif(c11,''), nullif(c12,'') from t;\n"
                       "commit;\n")
            .arg(columns, dir));
}

// Times the CSV export of the pristine catalogue and the import of that file,
// with its apply, into an empty one.
void timeCsv(const QString& path, const QString& csvPath) {
    HeadlessStoreHost host;
    const QString copy = path + QStringLiteral(".csv-export.db");
    QFile::remove(copy);
    QFile::copy(path + QStringLiteral(".pristine"), copy);
    Connection::setAliasPath(QStringLiteral("book"), copy);
    CsvSettings settings;
    settings.fileName = csvPath;
    {
        auto store = TDM::OpenStore(&host);
        timed("export_csv_ms", [&] { ExportCsv(*store, &settings); });
        store->CloseStore(false);
    }
    const QString empty = path + QStringLiteral(".csv-import.db");
    QFile::remove(empty);
    Connection::setAliasPath(QStringLiteral("book"), empty);
    CreateCatalogue(empty);
    auto store = TDM::OpenStore(&host);
    host.maxId = store->GetMaxId();
    timed("import_apply_csv_ms", [&] {
        ImportCsv(*store, &settings);
        store->ApplyPendingUpdates();
    });
    store->CloseStore(false);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the Quillo catalogue store."));
    parser.addHelpOption();
    parser.addOption(
        {QStringLiteral("db"), QStringLiteral("Database file to create."), QStringLiteral("path")});
    parser.addOption({QStringLiteral("books"), QStringLiteral("Number of books."),
                      QStringLiteral("n"), QStringLiteral("100000")});
    parser.addOption({QStringLiteral("emit-sql"),
                      QStringLiteral("Write sqlite3 shell scripts here."), QStringLiteral("dir")});
    parser.addOption({QStringLiteral("csv"),
                      QStringLiteral("Where the CSV figures write their file."),
                      QStringLiteral("path")});
    parser.addOption(
        {QStringLiteral("generate-only"),
         QStringLiteral("Only write the generated catalogue, for samples and screenshots.")});
    parser.process(app);
    const QString path = parser.isSet(QStringLiteral("db"))
                             ? parser.value(QStringLiteral("db"))
                             : QDir::temp().filePath(QStringLiteral("quillo-bench.db"));
    const int books = parser.value(QStringLiteral("books")).toInt();

    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".pristine"));
    generateCatalogue(path, books);
    if (parser.isSet(QStringLiteral("generate-only")))
        return 0;
    QFile::copy(path, path + QStringLiteral(".pristine"));

    // The books to append, made only after the catalogue's own figures.
    auto booksToAppend = [books] {
        std::vector<BookRecord> appended;
        CatalogueGenerator generator(4242);
        for (int i = 1; i <= books; ++i)
            appended.push_back(generator.next(3 * books + i));
        return appended;
    };
    if (parser.isSet(QStringLiteral("emit-sql"))) {
        // A separate run, so the scripts' memory does not count in the figures.
        writeShellScripts(parser.value(QStringLiteral("emit-sql")), books, booksToAppend());
        return 0;
    }

    Connection::setAliasPath(QStringLiteral("book"), path);
    HeadlessStoreHost host;
    host.sort = codePointSort();
    std::unique_ptr<TDM> store;
    // As the program opens: the store, then one sorted read.
    timed("open_query_all_ms", [&] {
        store = std::make_unique<TDM>(&host, TDM::FirstRead::Deferred);
        store->QueryAll();
    });
    host.maxId = store->GetMaxId();
    report("peak_rss_loaded_mb", peakResidentMb());

    const FieldFlags all = allTextFields();
    timed("filter_without_readings_ms", [&] { store->ApplyFilter(kFilterText, &all); });
    store->ClearFilterCondition();
    store->QueryAll();
    // A catalogue from before the readings gets them at its first open; the
    // filter then looks in the folded texts kept beside the books.
    {
        auto readings = std::make_unique<CatalogueReadings>(store->Database());
        timed("readings_prepare_ms", [&] { readings->prepare(true); });
        store->setReadings(std::move(readings));
        // Every later start only checks that they are in step.
        CatalogueReadings again(store->Database());
        timed("readings_check_ms", [&] { again.prepare(true); });
    }
    // What an apply adds for its automatic backup: the checked copy of the
    // whole catalogue (its readings too) into the backups folder.
    {
        QTemporaryDir backups;
        AutoBackups keeper(backups.path(), path);
        timed("backup_before_apply_ms", [&] { keeper.take(store->Database()); });
    }
    timed("filter_all_text_fields_ms", [&] { store->ApplyFilter(kFilterText, &all); });
    store->ClearFilterCondition();
    store->QueryAll();
    {
        // The same filter without folding, as it ran before: the price of folding.
        CachedDataset plain(store->Database());
        const FieldNameTable names;
        plain.setSql(unfolded(BuildFilterSql(kFilterText, all, host.sort, names)->lines));
        timed("filter_unfolded_ms", [&] { plain.open(); });
        const int folded = store->QueryBook().rowCount();
        Q_UNUSED(folded);
    }
    // JIS order against code-point order: the same sorted read of every book.
    {
        CachedDataset sorted(store->Database());
        SortSettings jis = host.sort;
        jis.jis = true;
        JisOrder::instance();  // its table is made once per run, not per read
        sorted.setSql({BuildUnfilteredSql(jis)});
        timed("open_sorted_jis_ms", [&] { sorted.open(); });
        sorted.close();
        SortSettings reading = jis;
        reading.reading = true;
        sorted.setSql({BuildUnfilteredSql(reading)});
        timed("open_sorted_reading_ms", [&] { sorted.open(); });
        sorted.close();
        sorted.setSql({BuildUnfilteredSql(host.sort)});
        timed("open_sorted_code_point_ms", [&] { sorted.open(); });
    }
    store->ClearFilterCondition();
    store->QueryAll();
    // A new sort order: the books in memory sorted there, by publisher and title
    // in JIS order, then back.
    {
        const SortSettings before = host.sort;
        host.sort.field1 = QStringLiteral("Publisher");
        host.sort.jis = true;
        timed("sort_change_in_memory_ms", [&] { store->QueryAll(); });
        store->ApplyFilter(kFilterText, &all);
        store->ClearFilterCondition();
        timed("filter_off_ms", [&] { store->QueryAll(); });
        host.sort = before;
        store->QueryAll();
    }

    FieldFlags writers{};
    writers[FieldNo::Writer] = 1;
    timed("search_walk_100_ms", [&] {
        store->Search(kSearchText, &writers, true);
        for (int i = 1; i < 100; ++i)
            store->SearchNext();
    });
    store->EndSearch();

    CachedDataset& q = store->QueryBook();
    const std::vector<BookRecord> appended = booksToAppend();
    timed("append_apply_ms", [&] {
        {
            CursorHookDetach detached(*store);
            for (const BookRecord& book : appended) {
                store->AppendRecord();
                for (int k = 1; k < kFieldCount; ++k)
                    q.setText(k, book.fields[static_cast<size_t>(k)]);
                q.post();
            }
        }
        store->ApplyPendingUpdates();
    });
    timed("renumber_ms", [&] { store->CloseStore(); });
    report("peak_rss_mb", peakResidentMb());
    store.reset();

    const QString csvPath = parser.isSet(QStringLiteral("csv"))
                                ? parser.value(QStringLiteral("csv"))
                                : path + QStringLiteral(".csv");
    timeCsv(path, csvPath);
    return 0;
}
