// The collection's counts: checked against plain SQL and plain loops over a
// generated catalogue, over the list as a filter or a sort leaves it, and on
// the texts real catalogues hold (junk dates, blanks, far-off years).
#include <QtTest>
#include <algorithm>
#include <map>

#include "catalogue_generator.h"
#include "reading/catalogue_readings.h"
#include "recording_host.h"
#include "stats/collection_counts.h"
#include "store/headless_host.h"
#include "store/tdm.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

namespace {

// The same figures as a reader of the table would make them: every book read
// once, counted in maps.
struct Recount {
    qint64 books = 0, withoutBuyDate = 0, withoutPubDate = 0, withoutDates = 0;
    std::map<QString, qint64> writers, publishers, kinds, buyYears, pubDecades;
};

Recount recount(const QString& where = QString()) {
    Recount r;
    const QStringList rows = test::rows(
        S("SELECT coalesce(BuyDate, ''), coalesce(PubDate, ''), coalesce(Writer, ''),"
          " coalesce(Writer2, ''), coalesce(Writer3, ''), coalesce(Writer4, ''),"
          " coalesce(Writer5, ''), coalesce(Publisher, ''), coalesce(Kind, '') FROM quillo ") +
        where);
    for (const QString& row : rows) {
        const QStringList cells = row.split(u'|');
        ++r.books;
        const QString buy = cells[0], pub = cells[1];
        if (buy.isEmpty())
            ++r.withoutBuyDate;
        else
            ++r.buyYears[buy.left(4)];
        if (pub.isEmpty())
            ++r.withoutPubDate;
        else
            ++r.pubDecades[pub.left(3) + S("0年代")];
        if (buy.isEmpty() && pub.isEmpty())
            ++r.withoutDates;
        for (int i = 2; i <= 6; ++i) {
            if (!cells[i].trimmed().isEmpty())
                ++r.writers[cells[i].trimmed()];
        }
        if (!cells[7].isEmpty())
            ++r.publishers[cells[7]];
        if (!cells[8].isEmpty())
            ++r.kinds[cells[8]];
    }
    return r;
}

// A series without its filled-in empty bars, as a map.
std::map<QString, qint64> nonEmpty(const std::vector<CountedBooks>& series) {
    std::map<QString, qint64> out;
    for (const CountedBooks& bar : series) {
        if (bar.books > 0)
            out[bar.label] = bar.books;
    }
    return out;
}

// The top of a name series is the most frequent, each with its own count.
void checkTop(const std::vector<CountedBooks>& top, const std::map<QString, qint64>& all) {
    std::vector<qint64> counts;
    for (const auto& [name, books] : all)
        counts.push_back(books);
    std::sort(counts.rbegin(), counts.rend());
    counts.resize(std::min<size_t>(counts.size(), 20));
    QCOMPARE(top.size(), counts.size());
    for (size_t i = 0; i < top.size(); ++i) {
        QCOMPARE(top[i].books, counts[i]);
        QCOMPARE(all.at(top[i].label), top[i].books);
    }
}

void checkAgainst(const CollectionCounts& counts, const Recount& r) {
    QCOMPARE(counts.books, r.books);
    QCOMPARE(counts.withoutBuyDate, r.withoutBuyDate);
    QCOMPARE(counts.withoutPubDate, r.withoutPubDate);
    QCOMPARE(counts.withoutDates, r.withoutDates);
    QCOMPARE(nonEmpty(counts.boughtPerYear), r.buyYears);
    QCOMPARE(nonEmpty(counts.firstEditionsPerDecade), r.pubDecades);
    QCOMPARE(counts.writers, qint64(r.writers.size()));
    QCOMPARE(counts.publishers, qint64(r.publishers.size()));
    QCOMPARE(counts.kinds, qint64(r.kinds.size()));
    checkTop(counts.topWriters, r.writers);
    checkTop(counts.topPublishers, r.publishers);
    checkTop(counts.topKinds, r.kinds);
}

// The list's books counted from its select and from its rows in memory: the
// same figures either way.
CollectionCounts countedBothWays(TDM& store) {
    const CollectionCounts selected = CountCollection(store.Database(), store.liveSelection());
    const CollectionCounts shown = CountShownBooks(store.QueryBook());
    if (!(shown == selected))
        qWarning("the rows in memory count otherwise than their select");
    return shown == selected ? shown : CollectionCounts{};
}

}  // namespace

class TestCollectionCounts : public QObject {
    Q_OBJECT

private slots:
    void theWholeCatalogueAsSqlCountsIt() {
        test::TempBookDb db;
        bench::generateCatalogue(db.path(), 3000);
        Connection books(S("book"));
        const CollectionCounts counts = CountCollection(books, AllBooksSelection());
        checkAgainst(counts, recount());
        QVERIFY(counts.withoutDates > 0 && counts.topWriters.size() == 20);
        // Every year between the first and the last is a bar, in order.
        for (size_t i = 1; i < counts.boughtPerYear.size(); ++i)
            QCOMPARE(counts.boughtPerYear[i].label.toInt(),
                     counts.boughtPerYear[i - 1].label.toInt() + 1);
        // Nothing is left behind on the connection.
        QCOMPARE(test::scalar(S("SELECT count(*) FROM sqlite_temp_master")), 0);
        CountCollection(books, AllBooksSelection());  // and it counts again
    }

    // The list as the window shows it: a filter (plain, over the readings, or
    // with words of SQL in its text), the 重複の候補, a sort by reading.
    void theListAsFilteredAndSorted() {
        test::TempBookDb db;
        bench::generateCatalogue(db.path(), 2000);
        test::exec(S("UPDATE quillo SET Title = Title || ' ORDER BY x;' WHERE ID % 7 = 0"));
        HeadlessStoreHost host;
        host.sort.reading = true;
        TDM store(&host, TDM::FirstRead::Deferred);
        auto readings = std::make_unique<CatalogueReadings>(store.Database());
        readings->prepare(true);
        store.setReadings(std::move(readings));
        store.QueryAll();
        checkAgainst(countedBothWays(store), recount());

        const FieldFlags title = test::flagsFor({FieldNo::Title});
        store.ApplyFilter(S("東京"), &title);
        const CollectionCounts filtered = countedBothWays(store);
        QCOMPARE(filtered.books, store.RecordCount());
        checkAgainst(filtered, recount(S("WHERE Title LIKE '%東京%'")));
        QVERIFY(filtered.books > 0 && filtered.books < 2000);

        store.ApplyFilter(S(" order by x;"), &title);
        QCOMPARE(store.RecordCount(), int(test::scalar(S("SELECT count(*) FROM quillo "
                                                         "WHERE ID % 7 = 0"))));
        QCOMPARE(countedBothWays(store).books, store.RecordCount());

        host.sort.reading = false;
        store.ApplySameBooksFilter();
        QCOMPARE(countedBothWays(store).books, store.RecordCount());
    }

    void whatCatalogueTextsCount_data() {
        QTest::addColumn<QString>("books");     // the VALUES of an insert
        QTest::addColumn<QString>("series");    // which series to look at
        QTest::addColumn<QString>("expected");  // "label=books,..."
        QTest::addColumn<qint64>("different");  // names, or books without the date
        QTest::addRow("junk and empty dates are no dates")
            << S("(1, NULL, 'unknown', NULL, NULL), (2, NULL, '', NULL, NULL),"
                 " (3, NULL, '2020-01-05', NULL, NULL)")
            << S("bought") << S("2020=1") << qint64(2);
        QTest::addRow("the years between are empty bars")
            << S("(1, NULL, '2001-05-01', NULL, NULL), (2, NULL, '2004-12-31', NULL, NULL),"
                 " (3, NULL, '2004-01-01', NULL, NULL)")
            << S("bought") << S("2001=1,2002=0,2003=0,2004=2") << qint64(0);
        QTest::addRow("a far-off year is not two thousand bars")
            << S("(1, NULL, '0019-05-01', NULL, NULL), (2, NULL, '2024-12-31', NULL, NULL)")
            << S("bought") << S("19=1,2024=1") << qint64(0);
        QTest::addRow("decades")
            << S("(1, '1989-12-31', NULL, NULL, NULL), (2, '1990-01-01', NULL, NULL, NULL),"
                 " (3, '2011-06-01', NULL, NULL, NULL), (4, NULL, NULL, NULL, NULL)")
            << S("decades") << S("1980年代=1,1990年代=1,2000年代=0,2010年代=1") << qint64(1);
        QTest::addRow("writers trimmed, empty ones not counted")
            << S("(1, NULL, NULL, ' 夏目 漱石 ', NULL), (2, NULL, NULL, '夏目 漱石', NULL),"
                 " (3, NULL, NULL, '', NULL), (4, NULL, NULL, NULL, NULL)")
            << S("writers") << S("夏目 漱石=2") << qint64(1);
        QTest::addRow("a second writer counts too")
            << S("(1, NULL, NULL, 'B', 'A'), (2, NULL, NULL, 'A', NULL), (3, NULL, NULL, 'C', "
                 "NULL)")
            << S("writers") << S("A=2,B=1,C=1") << qint64(3);
        QTest::addRow("ties in JIS order")
            << S("(1, NULL, NULL, 'う', NULL), (2, NULL, NULL, 'あ', NULL),"
                 " (3, NULL, NULL, 'い', NULL)")
            << S("writers") << S("あ=1,い=1,う=1") << qint64(3);
        QTest::addRow("a number another program stored as a name")
            << S("(1, NULL, NULL, 123, '123'), (2, NULL, 20200105, 'A', NULL)") << S("writers")
            << S("123=2,A=1") << qint64(2);
    }
    void whatCatalogueTextsCount() {
        QFETCH(QString, books);
        QFETCH(QString, series);
        QFETCH(QString, expected);
        QFETCH(qint64, different);
        test::TempBookDb db;
        test::exec(S("INSERT INTO quillo (ID, PubDate, BuyDate, Writer, Writer2) VALUES ") + books);
        HeadlessStoreHost host;
        TDM store(&host);
        store.QueryAll();
        const CollectionCounts counts = countedBothWays(store);
        const std::vector<CountedBooks>& bars = series == S("bought") ? counts.boughtPerYear
                                                : series == S("decades")
                                                    ? counts.firstEditionsPerDecade
                                                    : counts.topWriters;
        QStringList shown;
        for (const CountedBooks& bar : bars)
            shown << bar.label + S("=") + QString::number(bar.books);
        QCOMPARE(shown.join(u','), expected);
        const qint64 other = series == S("bought")    ? counts.withoutBuyDate
                             : series == S("decades") ? counts.withoutPubDate
                                                      : counts.writers;
        QCOMPARE(other, different);
    }

    void onlyTheMostFrequentAreListed() {
        test::TempBookDb db;
        for (int i = 1; i <= 25; ++i)
            test::exec(S("INSERT INTO quillo (ID, Title, Publisher) VALUES (%1, 't', 'P%2')")
                           .arg(i)
                           .arg(i % 24));  // P1 twice, the others once
        Connection connection(S("book"));
        const CollectionCounts counts = CountCollection(connection, AllBooksSelection());
        QCOMPARE(counts.publishers, 24);
        QCOMPARE(counts.topPublishers.size(), size_t(20));
        QCOMPARE(counts.topPublishers.front(), (CountedBooks{S("P1"), 2}));
    }

    // The count axis: whole books, a round step, the largest bar inside it.
    void theCountAxis_data() {
        QTest::addColumn<qint64>("largest");
        QTest::addColumn<qint64>("step");
        QTest::addColumn<qint64>("top");
        QTest::addRow("no books") << qint64(0) << qint64(1) << qint64(1);
        QTest::addRow("one book") << qint64(1) << qint64(1) << qint64(1);
        QTest::addRow("seven") << qint64(7) << qint64(2) << qint64(8);
        QTest::addRow("exactly five steps") << qint64(50) << qint64(10) << qint64(50);
        QTest::addRow("just over") << qint64(51) << qint64(20) << qint64(60);
        QTest::addRow("a large collection") << qint64(8607) << qint64(2000) << qint64(10000);
    }
    void theCountAxis() {
        QFETCH(qint64, largest);
        QFETCH(qint64, step);
        QFETCH(qint64, top);
        QCOMPARE(countAxisStep(largest), step);
        QCOMPARE(countAxisTop(largest), top);
    }

    // Which bars of a time axis carry their year: round years without gaps,
    // every so many bars with gaps, never a crowd.
    void theTimeAxisLabels_data() {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<int>("bars");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("labelled");  // the years labelled
        QTest::addRow("a few years, each") << qint64(2019) << 3 << 1 << S("2019,2020,2021");
        QTest::addRow("seventy years, every ten")
            << qint64(1956) << 69 << 1 << S("1960,1970,1980,1990,2000,2010,2020");
        QTest::addRow("twenty years, every two")
            << qint64(2001) << 20 << 1 << S("2002,2004,2006,2008,2010,2012,2014,2016,2018,2020");
        QTest::addRow("decades, each") << qint64(1950) << 8 << 10
                                       << S("1950,1960,1970,1980,1990,"
                                            "2000,2010,2020");
        QTest::addRow("many decades, every twenty years")
            << qint64(1800) << 23 << 10
            << S("1800,1820,1840,1860,1880,1900,1920,1940,1960,1980,2000,2020");
    }
    void theTimeAxisLabels() {
        QFETCH(qint64, first);
        QFETCH(int, bars);
        QFETCH(int, width);
        QFETCH(QString, labelled);
        std::vector<CountedBooks> series;
        for (int i = 0; i < bars; ++i)
            series.push_back({QString(), 1, first + i * width});
        QStringList years;
        for (size_t i : labelledPeriods(series, width))
            years << QString::number(series[i].year);
        QCOMPARE(years.join(u','), labelled);
    }
    void aTimeAxisWithGapsIsLabelledByBars() {
        std::vector<CountedBooks> series;
        for (int i = 0; i < 30; ++i)
            series.push_back({QString(), 1, i == 0 ? 19 : 1990 + i});  // 0019, then 1991...
        const std::vector<size_t> labelled = labelledPeriods(series, 1);
        QCOMPARE(labelled.size(), size_t(10));
        QCOMPARE(labelled.front(), size_t(0));
        QCOMPARE(labelled[1], size_t(3));
        QVERIFY(labelledPeriods({}, 1).empty());
    }

    void anEmptyCatalogueCountsNothing() {
        test::TempBookDb db;
        Connection connection(S("book"));
        const CollectionCounts counts = CountCollection(connection, AllBooksSelection());
        QCOMPARE(counts.books, 0);
        QCOMPARE(counts.withoutDates, 0);
        QVERIFY(counts.boughtPerYear.empty() && counts.topWriters.empty());
    }

    // A catalogue opened for reading only is counted all the same: the books
    // are gathered in the connection's temporary space, not in the file.
    void aReadOnlyCatalogueIsCounted() {
        test::TempBookDb db;
        bench::generateCatalogue(db.path(), 100);
        const QByteArray before = [&] {
            QFile f(db.path());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        {
            Connection connection(S("book"), Connection::Access::ReadOnly);
            QCOMPARE(CountCollection(connection, AllBooksSelection()).books, 100);
        }
        QFile f(db.path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }
};

QTEST_GUILESS_MAIN(TestCollectionCounts)
#include "tst_collection_counts.moc"
