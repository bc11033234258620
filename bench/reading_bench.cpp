// Times the readings of generated books: title, writer and publisher of each,
// as a catalogue without readings has them prepared on its first open, and that
// preparation itself on a generated catalogue file.
#include <sqlite3.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSet>
#include <QTemporaryDir>

#include "bench_support.h"
#include "catalogue_generator.h"
#include "reading/reading_analyzer.h"
#include "reading/reading_table.h"

using namespace quillo;
using namespace quillo::bench;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("books"), QStringLiteral("Number of books."),
                      QStringLiteral("n"), QStringLiteral("100000")});
    parser.process(app);
    const int books = parser.value(QStringLiteral("books")).toInt();
    std::vector<BookRecord> records;
    records.reserve(static_cast<size_t>(books));
    CatalogueGenerator generator;
    for (int i = 0; i < books; ++i)
        records.push_back(generator.next(i + 1));

    const ReadingAnalyzer analyzer;
    if (analyzer.limited()) {
        std::fprintf(stderr, "%s\n", qPrintable(analyzer.limitation()));
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    qsizetype length = 0;  // so the readings are not optimised away
    for (const BookRecord& book : records) {
        length += analyzer.reading(book.fields[FieldNo::Title], ReadingKind::Text).size();
        length += analyzer.reading(book.fields[FieldNo::Writer], ReadingKind::Name).size();
        length += analyzer.reading(book.fields[FieldNo::Publisher], ReadingKind::Text).size();
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    report("readings_ms", ms);
    report("reading_us_per_book", ms * 1000 / books);

    // What one text costs when it was never read before: each distinct title,
    // writer and publisher once, through a new analyzer.
    QSet<QString> titles, names, publishers;
    for (const BookRecord& book : records) {
        titles.insert(book.fields[FieldNo::Title]);
        names.insert(book.fields[FieldNo::Writer]);
        publishers.insert(book.fields[FieldNo::Publisher]);
    }
    const ReadingAnalyzer fresh;
    timer.restart();
    for (const QString& title : titles)
        length += fresh.reading(title, ReadingKind::Text).size();
    for (const QString& publisher : publishers)
        length += fresh.reading(publisher, ReadingKind::Text).size();
    const double textMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    for (const QString& name : names)
        length += fresh.reading(name, ReadingKind::Name).size();
    const double nameMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    report("distinct_texts", static_cast<double>(titles.size() + publishers.size()));
    report("reading_us_per_new_text", textMs * 1000 / double(titles.size() + publishers.size()));
    report("distinct_names", static_cast<double>(names.size()));
    report("reading_us_per_new_name", nameMs * 1000 / double(names.size()));
    report("reading_chars", static_cast<double>(length));

    // A catalogue without readings, prepared as on its first open: every book
    // read and written beside the book table in one transaction.
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("book.db"));
    generateCatalogue(db, books);
    sqlite3* handle = nullptr;
    sqlite3_open(QFile::encodeName(db).constData(), &handle);
    const ReadingAnalyzer preparing;
    timed("prepare_readings_ms", [&] {
        sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
        ReadingTable table(handle);
        table.create(preparing);
        table.sync(preparing);
        sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
    });
    sqlite3_close(handle);
    return 0;
}
