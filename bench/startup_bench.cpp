// Start-up of the whole program against the bare-table reference: each run is a
// fresh process, timed from just before it is started to the end of its first
// paint pass, with the process's peak memory (ru_maxrss) at exit. The two
// programs run in interleaved pairs on one generated catalogue, after one
// unmeasured warm-up run each so both meet a warm page cache.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "catalogue_generator.h"
#include "child_process.h"

using namespace quillo::bench;

namespace {

struct RunFigures {
    double firstPaintMs = 0;
    double peakMb = 0;
};

// Starts the program offscreen with the first-paint probe on, reads its report
// and waits for it to end.
RunFigures runOnce(const QList<QByteArray>& args) {
    const ChildRun run = runChild(args, "/dev/null",
                                  {"QT_QPA_PLATFORM=offscreen", "QUILLO_QUIT_AFTER_FIRST_PAINT=1"});
    const qsizetype at = run.output.indexOf("first_paint_ns ");
    if (at < 0 || run.status != 0)
        qFatal("%s did not report its first paint", args[0].constData());
    const long long painted = run.output.mid(at + 15).split('\n').first().toLongLong();
    return {static_cast<double>(painted - run.startNs) / 1e6, run.peakMb};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times start-up to the first painted window against a bare table."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("books"), QStringLiteral("Number of books."),
                      QStringLiteral("n"), QStringLiteral("100000")});
    parser.addOption({QStringLiteral("pairs"), QStringLiteral("Measured pairs of runs."),
                      QStringLiteral("n"), QStringLiteral("7")});
    parser.addOption(
        {QStringLiteral("quillo"), QStringLiteral("The program to time."), QStringLiteral("path")});
    parser.addOption({QStringLiteral("collation"),
                      QStringLiteral("The program's sort: Reading (a first run's), JIS or "
                                     "CodePoint."),
                      QStringLiteral("name"), QStringLiteral("Reading")});
    parser.process(app);
    const QString here = QCoreApplication::applicationDirPath();
    const QString quillo = parser.isSet(QStringLiteral("quillo"))
                               ? parser.value(QStringLiteral("quillo"))
                               : here + QStringLiteral("/../src/app/quillo");
    const QString bare = here + QStringLiteral("/quillo-bare-table");
    const int books = parser.value(QStringLiteral("books")).toInt();
    const int pairs = std::max(1, parser.value(QStringLiteral("pairs")).toInt());

    // The program keeps its catalogue and settings beside itself when it can.
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("quillo"));
    const QString db = folder.filePath(QStringLiteral("book.db"));
    if (!QFile::copy(quillo, program))
        qFatal("cannot copy %s", qPrintable(quillo));
    generateCatalogue(db, books);
    {
        QFile ini(folder.filePath(QStringLiteral("quillo.Ini")));
        if (!ini.open(QIODevice::WriteOnly))
            qFatal("cannot write the settings beside the program");
        ini.write("[SortOrder]\r\nCollation=" +
                  parser.value(QStringLiteral("collation")).toLatin1() + "\r\n");
    }

    const QList<QByteArray> quilloArgs{QFile::encodeName(program)};
    const QList<QByteArray> bareArgs{QFile::encodeName(bare), QFile::encodeName(db)};
    runOnce(quilloArgs);  // also renumbers the IDs, as every later run finds them
    runOnce(bareArgs);
    std::vector<double> ours, reference, oursMb, referenceMb;
    for (int i = 0; i < pairs; ++i) {
        const RunFigures a = runOnce(quilloArgs);
        const RunFigures b = runOnce(bareArgs);
        ours.push_back(a.firstPaintMs);
        oursMb.push_back(a.peakMb);
        reference.push_back(b.firstPaintMs);
        referenceMb.push_back(b.peakMb);
    }
    const double q = median(ours), r = median(reference);
    std::printf("%-28s %12s %12s %8s\n", "figure", "quillo", "bare table", "ratio");
    std::printf("%-28s %12.1f %12.1f %8.2f\n",
                qPrintable(QStringLiteral("first_paint_ms_%1").arg(books)), q, r, q / r);
    std::printf("%-28s %12.1f %12.1f %8.2f\n",
                qPrintable(QStringLiteral("peak_rss_start_mb_%1").arg(books)), median(oursMb),
                median(referenceMb), median(oursMb) / median(referenceMb));
    return 0;
}
