// Sequences of commands as a user runs them, checking after each that the grid,
// the card, the commands and the store agree on the current book, and that no
// pending change is dropped on the way.
#include <sqlite3.h>

#include <QItemSelectionModel>
#include <QtTest>

#include "engine/engine_error.h"
#include "files.h"
#include "test_db.h"
#include "window_driver.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

#define QVERIFY_AGREES(driver)                         \
    do {                                               \
        const QString fault = (driver).disagreement(); \
        QVERIFY2(fault.isEmpty(), qPrintable(fault));  \
    } while (false)

class TestWindowSequences : public QObject {
    Q_OBJECT

    test::WindowFixture m_fixture;
    std::unique_ptr<test::WindowDriver> m_driver;

    test::WindowDriver& d() { return *m_driver; }
    QString current() { return d().query().text(FieldNo::Title); }
    qint64 currentId() { return d().query().integer(0); }
    QStringList stored() { return test::rows(S("select ID, Title from quillo order by ID")); }
    void toBook(const char* title) {
        d().trigger("menuEFirst");
        while (current() != S(title) && d().enabled("menuENext"))
            d().trigger("menuENext");
        QCOMPARE(current(), S(title));
    }

private slots:
    void init() {
        // Sorted by writer, then title, by code point: 1 3 2 5 4.
        m_fixture.settingsFile = "[SortOrder]\r\nCollation=CodePoint\r\n";
        m_fixture.open(
            S("insert into quillo (ID, Title, Writer, Memo) values"
              " (1, '吾輩は猫である', '夏目漱石', NULL), (2, 'こころ', '芥川龍之介', '猫'),"
              " (3, '猫の事務所', '宮沢賢治', NULL), (4, '銀河鉄道の夜', '芥川龍之介', NULL),"
              " (5, '羅生門', '芥川龍之介', NULL)"));
        m_driver = std::make_unique<test::WindowDriver>(m_fixture);
        clearShownMessages();
        clearNextMessageAnswers();
    }
    void cleanup() {
        m_driver.reset();
        m_fixture.close();
    }

    void startUpReadsTheBooksOnceAndTheListsWhenTheDialogOpens() {
        m_driver.reset();
        m_fixture.close();
        QStringList statements;
        m_fixture.beforeWindow = [&statements](TDM& store) {
            sqlite3_trace_v2(
                store.Database().handle(), SQLITE_TRACE_STMT,
                [](unsigned, void* list, void*, void* sql) {
                    static_cast<QStringList*>(list)->append(
                        QString::fromUtf8(static_cast<const char*>(sql)).simplified());
                    return 0;
                },
                &statements);
        };
        m_fixture.open(
            S("insert into quillo (ID, Title, Writer) values"
              " (1, 'こころ', 'いとう'), (2, '羅生門', 'あべ')"));
        m_driver = std::make_unique<test::WindowDriver>(m_fixture);
        const auto reads = [&statements] {
            QStringList books;
            for (const QString& sql : statements)
                if ((sql.startsWith(S("SELECT * FROM quillo"), Qt::CaseInsensitive) ||
                     sql.startsWith(S("SELECT q.* FROM quillo"), Qt::CaseInsensitive)) &&
                    !sql.contains(S("MAX(ID)"), Qt::CaseInsensitive))
                    books << sql;
            return books;
        };
        QCOMPARE(reads().size(), 1);
        QVERIFY(reads().first().contains(S("ORDER BY"), Qt::CaseInsensitive));
        QCOMPARE(current(), S("羅生門"));  // the first book in the sorted order
        QVERIFY(!statements.join(u' ').contains(S("DISTINCT"), Qt::CaseInsensitive));
        QVERIFY_AGREES(d());

        TFormSetRecord* record = d().window().recordDialog();
        m_fixture.withDialog(
            "menuEAdd", [record] { return record; },
            [&] {
                auto* writers = static_cast<QComboBox*>(record->control(FieldNo::Writer));
                QVERIFY(writers->findText(S("いとう")) >= 0);
                record->setControlText(FieldNo::Title, S("新刊"));
                record->setControlText(FieldNo::Writer, S("新人作家"));
                QTest::mouseClick(record->findChild<QPushButton*>(S("ButtonOK")), Qt::LeftButton);
            });
        d().trigger("menuFApply");
        auto* writers = static_cast<QComboBox*>(record->control(FieldNo::Writer));
        QVERIFY(writers->findText(S("新人作家")) >= 0);  // refreshed by the apply
        // The apply keeps the rows it has: the new book moves to its place in
        // the order without the table being read again.
        QCOMPARE(reads().size(), 1);
        const CachedDataset& books = m_fixture.store->QueryBook();
        QCOMPARE(books.textAt(2, books.fieldIndex(S("Title"))), S("新刊"));
    }

    // As the program starts: the sorted read runs while the window is built, and
    // the window shows its rows without reading them again.
    void theReadStartedBeforeTheWindowIsTheOneItShows() {
        m_driver.reset();
        m_fixture.close();
        int reads = 0;
        m_fixture.beforeWindow = [&reads](TDM& store) {
            store.PrefetchAll(store.usableSort(AppSettings{}.sort()));
            sqlite3_trace_v2(
                store.Database().handle(), SQLITE_TRACE_STMT,
                [](unsigned, void* count, void*, void* sql) {
                    if (QByteArray(static_cast<const char*>(sql)).contains("ORDER BY"))
                        ++*static_cast<int*>(count);
                    return 0;
                },
                &reads);
        };
        m_fixture.open(
            S("insert into quillo (ID, Title, Writer) values"
              " (1, 'こころ', 'いとう'), (2, '羅生門', 'あべ')"));
        m_driver = std::make_unique<test::WindowDriver>(m_fixture);
        QCOMPARE(reads, 0);
        QCOMPARE(current(), S("羅生門"));
        QCOMPARE(d().store().RecordCount(), 2);
        QVERIFY_AGREES(d());
    }

    void aColumnDragKeepsPendingChanges() {
        toBook("猫の事務所");
        setNextMessageAnswer(Answer::Yes);
        d().trigger("menuEDelete");
        d().record("menuEAdd", {{FieldNo::Title, S("新しい本")}});
        const QString before = current();
        d().dragColumn(1, 0);
        QVERIFY(d().query().updatesPending());
        QVERIFY(d().window().pendingMode());
        QCOMPARE(d().window().grid()->horizontalHeader()->visualIndex(0), 0);  // drag undone
        QCOMPARE(current(), before);
        QVERIFY_AGREES(d());
        d().trigger("menuFApply");
        QCOMPARE(stored(), (QStringList{S("1|吾輩は猫である"), S("2|こころ"), S("4|銀河鉄道の夜"),
                                        S("5|羅生門"), S("6|新しい本")}));
    }

    void reReadingThePendingQueryIsRefused() {
        d().record("menuEEdit", {{FieldNo::Title, S("変えた")}});
        QVERIFY_THROWS_EXCEPTION(EngineError, d().store().Requery());
        QVERIFY_THROWS_EXCEPTION(EngineError, d().store().QueryAll());
        QVERIFY(d().query().updatesPending());
        QCOMPARE(current(), S("変えた"));
    }

    void applyReturnsToTheBookThatWasCurrent() {
        d().trigger("menuVViewTypeRecord");
        toBook("猫の事務所");
        d().record("menuEEdit", {{FieldNo::Title, S("猫の事務所（改）")}});
        d().trigger("menuFApply");
        QCOMPARE(currentId(), 3);
        QCOMPARE(d().window().cardView()->fieldText(FieldNo::Title), S("猫の事務所（改）"));
        QVERIFY_AGREES(d());
        d().trigger("menuENext");
        QCOMPARE(current(), S("こころ"));
        d().trigger("menuELast");
        QCOMPARE(d().window().cardView()->fieldText(FieldNo::Title), S("銀河鉄道の夜"));
        QVERIFY_AGREES(d());
        // The edit opens the book the card shows.
        d().record("menuEEdit", {{FieldNo::Memo, S("メモ")}});
        QCOMPARE(d().query().text(FieldNo::Memo), S("メモ"));
        QCOMPARE(current(), S("銀河鉄道の夜"));
    }

    void applyOfABookThatLeavesTheFilterGoesToTheRowInItsPlace() {
        d().setFilter(S("芥川"), {FieldNo::Writer});
        QCOMPARE(d().store().RecordCount(), 3);
        toBook("銀河鉄道の夜");
        d().record("menuEEdit", {{FieldNo::Writer, S("宮沢賢治")}});
        d().trigger("menuFApply");
        QCOMPARE(d().store().RecordCount(), 2);
        QCOMPARE(current(), S("羅生門"));
        QVERIFY_AGREES(d());
    }

    // A new order and an apply keep the rows in memory: the table is not read
    // again, yet the list stands as a fresh read would show it and the current
    // book stays current.
    void aSortChangeAndAnApplyReorderTheBooksWithoutReadingThem() {
        QStringList reads;
        sqlite3_trace_v2(
            d().store().Database().handle(), SQLITE_TRACE_STMT,
            [](unsigned, void* list, void*, void* sql) {
                const QString text = QString::fromUtf8(static_cast<const char*>(sql));
                if (text.contains(QLatin1String("FROM QUILLO"), Qt::CaseInsensitive))
                    static_cast<QStringList*>(list)->append(text);
                return 0;
            },
            &reads);
        const auto titles = [this] {
            QStringList shown;
            for (int row = 0; row < d().query().rowCount(); ++row)
                shown << d().query().textAt(row, FieldNo::Title);
            return shown;
        };
        toBook("猫の事務所");
        d().setSort(FieldNo::Title, -1, 1);  // titles, descending
        QCOMPARE(titles(), test::rows(S("select Title from quillo order by Title desc")));
        QCOMPARE(current(), S("猫の事務所"));
        QVERIFY_AGREES(d());
        d().record("menuEEdit", {{FieldNo::Title, S("ああ無情")}});
        d().trigger("menuFApply");
        QCOMPARE(titles(), test::rows(S("select Title from quillo order by Title desc")));
        QCOMPARE(titles().last(), S("ああ無情"));
        QCOMPARE(current(), S("ああ無情"));
        QVERIFY_AGREES(d());
        sqlite3_trace_v2(d().store().Database().handle(), 0, nullptr, nullptr);
        QVERIFY2(reads.filter(QStringLiteral("SELECT *"), Qt::CaseInsensitive).isEmpty(),
                 qPrintable(reads.join(u'\n')));
    }

    void theCardShowsWhatTheRecordDialogSaved() {
        d().trigger("menuVViewTypeRecord");
        d().record("menuEEdit", {{FieldNo::Title, S("書き換えた題")}});
        QCOMPARE(d().window().cardView()->fieldText(FieldNo::Title), S("書き換えた題"));
        d().record("menuEAdd",
                   {{FieldNo::Title, S("加えた本")}, {FieldNo::PubDate, S("2001/02/03")}});
        QCOMPARE(d().window().cardView()->fieldText(FieldNo::Title), S("加えた本"));
        QCOMPARE(d().window().cardView()->fieldText(FieldNo::PubDate), S("2001/02/03"));
        QVERIFY_AGREES(d());
    }

    void aCancelledAddReturnsToTheBookThatWasCurrent() {
        toBook("銀河鉄道の夜");
        d().record("menuEAdd", {{FieldNo::Title, S("やめた本")}}, false);
        QCOMPARE(current(), S("銀河鉄道の夜"));
        QVERIFY(!d().query().updatesPending());
        QVERIFY_AGREES(d());
    }

    void anImportHighlightsTheLastImportedBook() {
        const QString path = m_fixture.db->folder() + S("/in.csv");
        test::writeFile(
            path, test::sjis(test::csvLine({S("一"), S("甲")}) + test::csvLine({S("二"), S("乙")}) +
                             test::csvLine({S("三"), S("丙")})));
        d().importCsv(path);
        QCOMPARE(d().store().RecordCount(), 8);
        QCOMPARE(current(), S("三"));
        QVERIFY_AGREES(d());
        // Enter edits, and Del deletes, the book the grid highlights.
        d().record("menuEEdit", {{FieldNo::Memo, S("見えている本")}});
        QCOMPARE(current(), S("三"));
        QCOMPARE(d().query().text(FieldNo::Memo), S("見えている本"));
        setNextMessageAnswer(Answer::Yes);
        d().trigger("menuEDelete");
        QCOMPARE(current(), S("二"));
        QVERIFY_AGREES(d());
    }

    // Pending changes close the search, whichever change made them; the store's
    // search still sees the books as the list shows them.
    void searchSeesTheBooksAsShown() {
        toBook("猫の事務所");
        setNextMessageAnswer(Answer::Yes);
        d().trigger("menuEDelete");
        QVERIFY(!d().enabled("menuESearch"));
        QVERIFY(!d().enabled("ToolButtonFind"));
        FieldFlags title{};
        title[FieldNo::Title] = 1;
        QCOMPARE(d().store().Search(S("猫"), &title, true), 1);
        QCOMPARE(current(), S("吾輩は猫である"));
        // A pending edit is found by what it holds now, not by what is stored.
        toBook("羅生門");
        d().record("menuEEdit", {{FieldNo::Title, S("猫町")}});
        QVERIFY(!d().enabled("menuESearch"));
        QCOMPARE(d().store().Search(S("猫"), &title, true), 2);
        QCOMPARE(d().store().Search(S("羅生門"), &title, false), 0);
        d().store().EndSearch();
        QVERIFY_AGREES(d());
    }

    void anEmptiedFilterEndsTheFilter() {
        d().setFilter(S("芥川"), {FieldNo::Writer});
        QCOMPARE(d().store().RecordCount(), 3);
        QVERIFY(!d().store().FilterCondition().isEmpty());
        d().setFilter(QString(), {});
        QCOMPARE(d().store().RecordCount(), 5);
        QVERIFY(d().store().FilterCondition().isEmpty());
        QCOMPARE(d().search(S("夏目漱石"), {FieldNo::Writer}, false), 1);
        QCOMPARE(current(), S("吾輩は猫である"));
    }

    void aNewSearchStartsAfresh() {
        TFormSearch* dialog = d().window().searchDialog();
        auto* next = dialog->findChild<QPushButton*>(S("ButtonNext"));
        m_fixture.withDialog(
            "menuESearch", [dialog] { return dialog; },
            [&] {
                dialog->searchText()->setEditText(S("猫"));
                dialog->ButtonFindClick();
                QCOMPARE(d().store().MatchCount(), 2);
                QVERIFY(next->isEnabled());
                dialog->fieldBox(FieldNo::Title)->setChecked(false);
                dialog->fieldBox(FieldNo::Writer)->setChecked(true);
                setNextMessageAnswer(Answer::Ok);
                dialog->ButtonFindClick();  // the same text in other fields: a miss
                QCOMPARE(lastShownMessage()->text, TFormSearch::notFoundText(S("猫")));
                QCOMPARE(d().store().MatchCount(), 0);
                QVERIFY(!next->isEnabled());
                QCOMPARE(d().store().SearchNext(), -1);
                dialog->fieldBox(FieldNo::Memo)->setChecked(true);
                dialog->ButtonFindClick();  // one match: nothing to step to
                QCOMPARE(d().store().MatchCount(), 1);
                QCOMPARE(current(), S("こころ"));
                QVERIFY(!next->isEnabled());
            });
    }

    void choosingTheShownViewKeepsTheColumnWidths() {
        QHeaderView* header = d().window().grid()->horizontalHeader();
        header->resizeSection(0, 123);
        d().trigger("menuVViewTypeList");
        d().control<QToolButton>("ToolButtonViewList")->click();
        QCOMPARE(header->sectionSize(0), 123);
        QVERIFY(d().control<QToolButton>("ToolButtonViewList")->isChecked());
        QVERIFY(!d().control<QToolButton>("ToolButtonViewRecord")->isChecked());
        d().trigger("menuVViewTypeRecord");
        d().trigger("menuVViewTypeRecord");
        d().trigger("menuVViewTypeList");
        QCOMPARE(header->sectionSize(0), 123);
    }

    void layoutRebuildsLeaveOneSelectionModel() {
        QTableView* grid = d().window().grid();
        const auto models = [grid] { return grid->findChildren<QItemSelectionModel*>().size(); };
        const qsizetype before = models();
        for (int i = 0; i < 3; ++i) {
            d().dragColumn(0, 1);
            d().trigger("menuVViewTypeRecord");
            d().trigger("menuVViewTypeList");
            d().record("menuEEdit", {{FieldNo::Memo, QString::number(i)}});
            d().trigger("menuFApply");
        }
        QCOMPARE(models(), before);
        QVERIFY_AGREES(d());
    }

    void enterSavesOnceAndSearchesOnce() {
        TFormSetRecord* record = d().window().recordDialog();
        m_fixture.withDialog(
            "menuEAdd", [record] { return record; },
            [&] {
                setNextMessageAnswer(Answer::Ok);
                setNextMessageAnswer(Answer::Ok);
                clearShownMessages();
                QTest::keyClick(record->control(FieldNo::Title), Qt::Key_Return);
                QCOMPARE(shownMessageCount(), 1);  // "書名" is required, said once
                auto* writer = static_cast<QComboBox*>(record->control(FieldNo::Writer));
                QTest::keyClick(writer, Qt::Key_Return);
                QCOMPARE(shownMessageCount(), 2);
                QCOMPARE(QApplication::focusWidget(), record->control(FieldNo::Title));
                QVERIFY(record->isVisible());
                clearNextMessageAnswers();
                record->setControlText(FieldNo::Title, S("エンターで保存"));
                QTest::keyClick(writer, Qt::Key_Return);
                QVERIFY(!record->isVisible());
            });
        QCOMPARE(current(), S("エンターで保存"));

        d().trigger("menuFApply");
        TFormSearch* search = d().window().searchDialog();
        m_fixture.withDialog(
            "menuESearch", [search] { return search; },
            [&] {
                search->searchText()->setEditText(S("羅生門"));
                QTest::keyClick(search->searchText(), Qt::Key_Return);
                QCOMPARE(d().store().MatchCount(), 1);
                QCOMPARE(current(), S("羅生門"));
            });
    }
};

QTEST_MAIN(TestWindowSequences)
#include "tst_window_sequences.moc"
