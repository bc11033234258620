// The catalogue store over a real database file, with a recording main window.
#include <QFileInfo>
#include <QtTest>

#include "damaged_files.h"
#include "engine/engine_error.h"
#include "full_disk.h"
#include "recording_host.h"
#include "store/tdm.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}
using test::flagsFor;

namespace {

const QString kSample = QStringLiteral(
    "insert into quillo (ID, Title, Writer, Publisher, Memo) values"
    " (1, '吾輩は猫である', '夏目漱石', '岩波書店', NULL),"
    " (2, '羅生門', '芥川龍之介', '新潮社', '短編'),"
    " (4, 'こころ', '夏目漱石', NULL, NULL),"
    " (7, 'Long Day''s Journey', 'O''Neil', '岩波書店', 'a:b 10% off')");

}  // namespace

class TestCatalogueStore : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempBookDb> m_db;
    test::RecordingHost m_host;
    std::unique_ptr<TDM> m_store;

    QStringList titlesInView() {
        QStringList titles;
        CachedDataset& q = m_store->QueryBook();
        const int title = q.fieldIndex(QStringLiteral("Title"));
        for (int row = 0; row < q.rowCount(); ++row)
            titles << q.textAt(row, title);
        return titles;
    }
    QString currentTitle() { return m_store->QueryBook().text(QStringLiteral("Title")); }
    void openStore() {
        m_store = TDM::OpenStore(&m_host);
        m_store->QueryAll();
        m_store->QueryBook().first();  // as the window starts
        m_host.maxId = m_store->GetMaxId();
        m_host.calls.clear();
    }

private slots:
    void init() {
        m_db = std::make_unique<test::TempBookDb>();
        test::exec(kSample);
        m_host = test::RecordingHost();
        openStore();
    }
    void cleanup() {
        m_store.reset();
        m_db.reset();
    }

    void opensSortedWithTheIdHidden() {
        QCOMPARE(m_store->RecordCount(), 4);
        QVERIFY(!m_store->QueryBook().isFieldVisible(0));
        QCOMPARE(m_host.maxId, 7);
        // Sorted by writer, then title, then ID (SQLite orders texts by code point).
        QCOMPARE(titlesInView(),
                 (QStringList{QStringLiteral("Long Day's Journey"), QStringLiteral("こころ"),
                              QStringLiteral("吾輩は猫である"), QStringLiteral("羅生門")}));
        m_host.sort = {QStringLiteral("Title"), QString(), 1};
        m_store->QueryAll();
        QCOMPARE(titlesInView().first(), QStringLiteral("羅生門"));
    }

    void aBrokenSortSettingStillOpens() {
        m_host.sort = {QString(), QStringLiteral("NoSuchColumn"), 0};
        m_store->QueryAll();
        QCOMPARE(m_store->RecordCount(), 4);
    }

    void emptyTableGivesIdOne() {
        test::exec(QStringLiteral("delete from quillo"));
        openStore();
        QCOMPARE(m_host.maxId, 0);
        QCOMPARE(m_store->RecordCount(), 0);
        m_store->AppendRecord();
        QCOMPARE(m_store->QueryBook().integer(0), 1);
        QCOMPARE(m_host.maxId, 1);
    }

    void appendApplyRequeriesInSortedPlace() {
        m_store->AppendRecord();
        QCOMPARE(m_store->RecordCount(), 5);
        CachedDataset& q = m_store->QueryBook();
        QCOMPARE(q.integer(0), 8);
        q.setText(QStringLiteral("Title"), QStringLiteral("あいうえお"));
        q.setText(QStringLiteral("Writer"), QStringLiteral("あ"));
        q.post();
        QCOMPARE(m_host.count(QStringLiteral("changesPending")), 1);

        // A discarded row leaves a gap: its ID is not handed out again this run.
        m_store->AppendRecord();
        m_store->DeleteCurrent(false);
        QCOMPARE(m_store->RecordCount(), 5);
        m_store->AppendRecord();
        QCOMPARE(q.integer(0), 10);
        q.setText(QStringLiteral("Title"), QStringLiteral("続き"));
        q.post();

        {
            CursorHookDetach detached(*m_store);
            m_store->ApplyPendingUpdates();
        }
        QVERIFY(m_store->cursorHookAttached());
        QVERIFY(!q.updatesPending());
        QCOMPARE(m_store->RecordCount(), 6);
        QCOMPARE(titlesInView().at(0), QStringLiteral("続き"));  // no writer sorts first
        QCOMPARE(titlesInView().at(2), QStringLiteral("あいうえお"));
        QCOMPARE(test::scalar(QStringLiteral("select count(*) from quillo where ID in (8, 10)")),
                 2);
        QVERIFY(m_host.calls.contains(QStringLiteral("booksCounted")));
    }

    void cancelRestoresTheStoredRows() {
        CachedDataset& q = m_store->QueryBook();
        q.setText(QStringLiteral("Title"), QStringLiteral("変更"));
        q.post();
        m_store->AppendRecord();
        q.post();
        m_store->CancelPendingUpdates();
        QCOMPARE(m_store->RecordCount(), 4);
        QVERIFY(!q.updatesPending());
        QVERIFY(!titlesInView().contains(QStringLiteral("変更")));
        QCOMPARE(m_host.count(QStringLiteral("booksCounted")), 1);
    }

    void deleteAsksAndRespectsTheAnswer() {
        m_host.answer = false;
        m_store->DeleteCurrent(true);
        QCOMPARE(m_host.questions, QStringList{QStringLiteral("Long Day's Journey")});
        QCOMPARE(m_store->RecordCount(), 4);
        QVERIFY(!m_store->QueryBook().updatesPending());
        QCOMPARE(m_host.count(QStringLiteral("booksCounted")), 1);

        m_host.answer = true;
        m_store->DeleteCurrent(true);
        QCOMPARE(m_store->RecordCount(), 3);
        QVERIFY(m_store->QueryBook().updatesPending());
        QCOMPARE(m_host.count(QStringLiteral("changesPending")), 1);
    }

    void deleteWithNoRowDoesNothing() {
        test::exec(QStringLiteral("delete from quillo"));
        openStore();
        m_store->DeleteCurrent(true);
        QVERIFY(m_host.questions.isEmpty());
        QVERIFY(m_host.calls.isEmpty());
        QCOMPARE(m_store->RecordCount(), 0);
    }

    void aNulInTheFilterNeverReachesTheSql() {
        const FieldFlags writer = flagsFor({FieldNo::Writer});
        QCOMPARE(m_store->ApplyFilter(QStringLiteral("夏目") + QChar(0) + QStringLiteral("漱石"),
                                      &writer),
                 0);
        QVERIFY(m_store->QueryBook().isActive());
        QCOMPARE(m_store->RecordCount(), 2);
        QCOMPARE(m_store->QueryBook().rowCount(), 2);
        QVERIFY(!m_store->FilterCondition().contains(QChar(0)));
        m_store->AppendRecord();  // the list still takes new books
        QCOMPARE(m_store->RecordCount(), 3);
    }

    void searchStepsThroughMatchesInViewOrder() {
        const FieldFlags writer = flagsFor({FieldNo::Writer});
        QCOMPARE(m_store->Search(QStringLiteral("夏目漱石"), &writer, false), 2);
        QCOMPARE(currentTitle(), QStringLiteral("こころ"));
        QCOMPARE(m_store->MatchIndex(), 1);
        QCOMPARE(m_store->SearchNext(), 0);
        QCOMPARE(currentTitle(), QStringLiteral("吾輩は猫である"));
        QCOMPARE(m_store->SearchNext(), -1);  // no further match: the cursor stays
        QCOMPARE(currentTitle(), QStringLiteral("吾輩は猫である"));
        m_store->EndSearch();
        QCOMPARE(m_store->SearchNext(), -2);
        QCOMPARE(m_store->MatchCount(), 0);
    }

    void searchRefusalsAndMisses() {
        const FieldFlags title = flagsFor({FieldNo::Title});
        const FieldFlags dates = flagsFor({FieldNo::PubDate, FieldNo::BuyDate});
        QCOMPARE(m_store->Search(QString(), &title, true), -1);
        QCOMPARE(m_store->Search(QStringLiteral("x"), nullptr, true), -1);
        QCOMPARE(m_store->Search(QStringLiteral("x"), &dates, true), 0);
        QCOMPARE(m_store->SearchNext(), -2);  // no field chosen opened nothing
        QCOMPARE(m_store->Search(QStringLiteral("存在しない"), &title, true), 0);
    }

    void searchMatchesUserTextLiterally_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("fuzzy");
        QTest::addColumn<int>("matches");
        QTest::addRow("apostrophe exact") << S("O'Neil") << int(FieldNo::Writer) << false << 1;
        QTest::addRow("apostrophe fuzzy") << S("Day's") << int(FieldNo::Title) << true << 1;
        QTest::addRow("colon fuzzy") << S("a:b") << int(FieldNo::Memo) << true << 1;
        QTest::addRow("percent is literal") << S("10%") << int(FieldNo::Memo) << true << 1;
        QTest::addRow("percent alone matches only itself")
            << S("0% o") << int(FieldNo::Memo) << true << 1;
        QTest::addRow("underscore is literal") << S("_") << int(FieldNo::Memo) << true << 0;
    }
    void searchMatchesUserTextLiterally() {
        QFETCH(QString, text);
        QFETCH(int, field);
        QFETCH(bool, fuzzy);
        QFETCH(int, matches);
        const FieldFlags flags = flagsFor({field});
        QCOMPARE(m_store->Search(text, &flags, fuzzy), matches);
    }

    void filterNarrowsTheViewAndLaterSearches() {
        const FieldFlags publisher = flagsFor({FieldNo::Publisher});
        QCOMPARE(m_store->ApplyFilter(QStringLiteral("岩波"), &publisher), 0);
        QCOMPARE(m_store->RecordCount(), 2);
        QCOMPARE(m_store->FilterCondition(),
                 QStringLiteral("(  FOLD(Publisher) LIKE '%岩波%' ESCAPE '$'  )"));

        const FieldFlags writer = flagsFor({FieldNo::Writer});
        QCOMPARE(m_store->Search(QStringLiteral("夏目漱石"), &writer, false),
                 1);  // こころ is filtered out

        // No field chosen: the view stays, the count is taken again.
        const FieldFlags none{};
        QCOMPARE(m_store->ApplyFilter(QStringLiteral("x"), &none), 0);
        QCOMPARE(m_store->RecordCount(), 2);
        QCOMPARE(m_store->ApplyFilter(QStringLiteral("x"), nullptr), -1);

        // QueryAll shows everything again but keeps the condition until it is cleared.
        m_store->QueryAll();
        QCOMPARE(m_store->RecordCount(), 4);
        QVERIFY(!m_store->FilterCondition().isEmpty());
        m_store->ClearFilterCondition();
        QVERIFY(m_store->FilterCondition().isEmpty());
    }

    void filterTextIsMatchedNotRun_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows");
        QTest::addRow("apostrophe") << S("O'Neil") << 1;
        QTest::addRow("colon") << S("a:b") << 1;
        QTest::addRow("an underscore is itself") << S("a_b") << 0;
        QTest::addRow("a percent sign is itself") << S("%") << 1;  // the memo "10% off"
        QTest::addRow("no wildcard in a percent sign") << S("1%f") << 0;
        QTest::addRow("a dollar sign is itself") << S("$") << 0;
        QTest::addRow("long text") << QString(600, QLatin1Char('z')) << 0;
    }
    void filterTextIsMatchedNotRun() {
        QFETCH(QString, text);
        QFETCH(int, rows);
        const FieldFlags flags = flagsFor({FieldNo::Writer, FieldNo::Memo});
        QCOMPARE(m_store->ApplyFilter(text, &flags), 0);
        QCOMPARE(m_store->RecordCount(), rows);
    }

    void requeryFollowsTheFilterSettings() {
        m_host.filter = QStringLiteral("漱石");
        m_host.filterFlags = flagsFor({FieldNo::Writer});
        m_store->Requery();
        QCOMPARE(m_store->RecordCount(), 2);
        m_host.filter.clear();
        m_store->Requery();
        QCOMPARE(m_store->RecordCount(), 4);
    }

    void distinctValues() {
        QStringList list{QStringLiteral("untouched")};
        QCOMPARE(m_store->GetDistinctValues(FieldNo::Publisher, &list), 0);
        list.sort();
        QCOMPARE(list,
                 (QStringList{QString(), QStringLiteral("岩波書店"), QStringLiteral("新潮社")}));
        QCOMPARE(m_store->GetDistinctValues(-1, &list), -1);
        QCOMPARE(m_store->GetDistinctValues(FieldNo::Kind, nullptr), -1);

        test::exec(QStringLiteral("delete from quillo"));
        list = QStringList{QStringLiteral("untouched")};
        QCOMPARE(m_store->GetDistinctValues(FieldNo::Writer, &list), 0);
        QCOMPARE(list, QStringList{QStringLiteral("untouched")});
    }

    void distinctValuesEndAnOpenSearch() {
        const FieldFlags title = flagsFor({FieldNo::Title});
        QCOMPARE(m_store->Search(QStringLiteral("の"), &title, true), 0);
        QCOMPARE(m_store->Search(QStringLiteral("門"), &title, true), 1);
        QStringList list;
        m_store->GetDistinctValues(FieldNo::Writer, &list);
        QCOMPARE(m_store->SearchNext(), -2);
    }

    void anApplyOnAFullDiskKeepsEveryUpdatePending() {
        const QStringList before = test::rows(QStringLiteral("select * from quillo order by ID"));
        CachedDataset& q = m_store->QueryBook();
        for (int i = 0; i < 3000; ++i) {  // some 300 KB of new pages
            m_store->AppendRecord();
            q.setText(QStringLiteral("Title"), QStringLiteral("満杯の棚 %1 ").arg(i).repeated(8));
            q.post();
        }
        const qint64 size = QFileInfo(m_db->path()).size();
        {
            test::FullDisk full(static_cast<rlim_t>(size) + 8192);
            QVERIFY_THROWS_EXCEPTION(EngineError, m_store->ApplyPendingUpdates());
        }
        QVERIFY(q.updatesPending());
        QCOMPARE(m_store->RecordCount(), 3004);
        QCOMPARE(test::rows(QStringLiteral("select * from quillo order by ID")), before);
        m_store->ApplyPendingUpdates();  // with room again, everything goes in
        QCOMPARE(test::scalar(QStringLiteral("select count(*) from quillo")), 3004);
    }

    void refusedApplyKeepsUpdatesAndCarriesTheReason() {
        test::exec(
            QStringLiteral("create trigger refuse before update on quillo"
                           " begin select raise(abort, 'ディスクがいっぱいです'); end"));
        const QStringList before = test::rows(QStringLiteral("select * from quillo order by ID"));
        CachedDataset& q = m_store->QueryBook();
        m_store->AppendRecord();
        q.setText(QStringLiteral("Title"), QStringLiteral("新刊"));
        q.post();
        q.first();
        q.setText(QStringLiteral("Title"), QStringLiteral("改題"));
        q.post();
        m_store->detachCursorHook();
        try {
            m_store->ApplyPendingUpdates();
            QFAIL("the update should have been refused");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("ディスクがいっぱいです")),
                     qPrintable(e.message()));
        }
        QVERIFY(m_store->cursorHookAttached());
        QVERIFY(q.updatesPending());
        QCOMPARE(m_store->RecordCount(), 5);
        QCOMPARE(test::rows(QStringLiteral("select * from quillo order by ID")), before);
        QVERIFY(m_host.calls.contains(QStringLiteral("booksCounted")));
    }

    void cursorHookTellsOfEveryMoveButNotWhileDetached() {
        CachedDataset& q = m_store->QueryBook();
        q.next();
        QCOMPARE(m_host.calls, QStringList{QStringLiteral("currentBookMoved")});
        {
            CursorHookDetach detached(*m_store);
            q.next();
            q.next();
            QCOMPARE(m_host.count(QStringLiteral("currentBookMoved")), 1);
        }
        // Re-attaching refreshes once, from wherever the bulk work left the cursor.
        QCOMPARE(m_host.count(QStringLiteral("currentBookMoved")), 2);
        QVERIFY(m_store->cursorHookAttached());
    }

    void hookGuardReattachesWhenTheScopeFails() {
        try {
            CursorHookDetach detached(*m_store);
            QVERIFY(!m_store->cursorHookAttached());
            throw EngineError(QStringLiteral("途中で失敗"));
        } catch (const EngineError&) {
        }
        QVERIFY(m_store->cursorHookAttached());
    }

    void renumberingClosesGapsAndKeepsOrder() {
        m_store->CloseStore();
        QCOMPARE(test::rows(QStringLiteral("select ID, Title from quillo order by ID")),
                 (QStringList{QStringLiteral("1|吾輩は猫である"), QStringLiteral("2|羅生門"),
                              QStringLiteral("3|こころ"), QStringLiteral("4|Long Day's Journey")}));
    }

    // A close that has nothing to renumber leaves the file as it was, byte for
    // byte and untouched in time, so incremental backups and sync see no change.
    void aCloseChangesTheFileOnlyWhenItRenumbers() {
        m_store->CloseStore();  // 1, 2, 4, 7 become 1..4
        m_store.reset();
        const QByteArray numbered = test::fileBytes(m_db->path());
        const QDateTime modified = QFileInfo(m_db->path()).lastModified();
        QTest::qWait(20);
        openStore();
        QVERIFY(!m_store->RenumberIds());
        m_store->CloseStore();
        m_store.reset();
        QCOMPARE(test::fileBytes(m_db->path()), numbered);
        QCOMPARE(QFileInfo(m_db->path()).lastModified(), modified);

        // An empty catalogue has nothing to renumber either; a gap is renumbered.
        test::exec(QStringLiteral("delete from quillo"));
        openStore();
        QVERIFY(!m_store->RenumberIds());
        m_store.reset();
        test::exec(QStringLiteral("insert into quillo (ID, Title) values (2, 'b')"));
        openStore();
        QVERIFY(m_store->RenumberIds());
        QCOMPARE(test::rows(QStringLiteral("select ID from quillo")),
                 QStringList{QStringLiteral("1")});
    }

    void aReadOnlyStoreNeverRenumbers() {
        m_store->setReadOnly(QStringLiteral("test"));
        m_store->CloseStore();
        QCOMPARE(test::rows(QStringLiteral("select ID from quillo order by ID")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"),
                              QStringLiteral("7")}));
    }

    // The books and the tables kept under their IDs are renumbered together,
    // another program's trigger on the books survives, and a failure in the
    // last table leaves every ID as it was.
    void renumberingIsAllOrNothing() {
        test::exec(QStringLiteral(
            "create table quillo_extra (ID INTEGER PRIMARY KEY CHECK (ID <> 3), Note TEXT);"
            " insert into quillo_extra values (2, 'b'), (4, 'd'), (9, 'no book');"
            " create table quillo_log (Text TEXT);"
            " create trigger quillo_logged after insert on quillo begin"
            " insert into quillo_log values (new.Title); end"));
        QVERIFY_THROWS_EXCEPTION(EngineError, m_store->CloseStore());  // 4 would become 3
        QCOMPARE(test::rows(QStringLiteral("select ID from quillo order by ID")),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"),
                              QStringLiteral("7")}));
        QCOMPARE(test::scalar(QStringLiteral("select count(*) from quillo_extra")), 3);

        m_store.reset();
        test::exec(
            QStringLiteral("delete from quillo_extra where ID = 9;"
                           " update quillo_extra set ID = 7 where ID = 4"));
        openStore();
        QVERIFY(m_store->RenumberIds());
        QCOMPARE(
            test::rows(QStringLiteral("select e.ID, q.Title, e.Note from quillo_extra e"
                                      " join quillo q on q.ID = e.ID order by e.ID")),
            (QStringList{QStringLiteral("2|羅生門|b"), QStringLiteral("4|Long Day's Journey|d")}));
        QCOMPARE(test::scalar(QStringLiteral("select count(*) from quillo_log")), 0);
        test::exec(QStringLiteral("insert into quillo (Title) values ('new')"));
        QCOMPARE(test::scalar(QStringLiteral("select count(*) from quillo_log")), 1);
    }

    // Whatever the gaps, each side row stays with its book (a side table holds
    // the book's title here) and rows of no book go.
    void renumberingKeepsEverySideRowWithItsBook_data() {
        QTest::addColumn<QString>("books");  // SQL run on the sample's 1, 2, 4, 7
        QTest::addRow("gaps after the first books") << QString();
        QTest::addRow("the first book deleted")
            << QStringLiteral("delete from quillo where ID = 1");
        QTest::addRow("only the last book moves")
            << QStringLiteral("update quillo set ID = 3 where ID = 4");
        QTest::addRow("IDs below one from another program") << QStringLiteral(
            "update quillo set ID = -3 where ID = 2;"
            " update quillo set ID = 0 where ID = 7");
        QTest::addRow("far apart") << QStringLiteral("update quillo set ID = 900000 where ID = 4");
    }
    void renumberingKeepsEverySideRowWithItsBook() {
        QFETCH(QString, books);
        m_store->CloseStore(false);
        m_store.reset();
        if (!books.isEmpty())
            test::exec(books);
        test::exec(QStringLiteral(
            "create table quillo_title (ID INTEGER PRIMARY KEY, Title TEXT);"
            " insert into quillo_title select ID, Title from quillo;"
            " insert into quillo_title values (-7, 'none'), (5, 'none'), (2000000, 'none')"));
        const QStringList before =
            test::rows(QStringLiteral("select Title from quillo order by ID"));
        openStore();
        m_store->CloseStore();
        QStringList expected;
        for (qsizetype i = 0; i < before.size(); ++i)
            expected << QString::number(i + 1) + u'|' + before[i] + u'|' + before[i];
        QCOMPARE(test::rows(QStringLiteral("select q.ID, q.Title, t.Title from quillo q left join"
                                           " quillo_title t on t.ID = q.ID order by q.ID")),
                 expected);
        QCOMPARE(test::scalar(QStringLiteral("select count(*) from quillo_title")), before.size());
    }

    void unopenableDatabaseReportsTheEngineMessage() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.db"));
        QFile junk(path);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        Connection::setAliasPath(QStringLiteral("book"), path);
        try {
            TDM store(&m_host);
            QFAIL("a file that is no database was opened");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("not a database")) &&
                         e.message().contains(path),
                     qPrintable(e.message()));
        }
        Connection::setAliasPath(QStringLiteral("book"), m_db->path());
    }
};

QTEST_GUILESS_MAIN(TestCatalogueStore)
#include "tst_catalogue_store.moc"
