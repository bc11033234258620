// A book added from its ISBN in the real record dialog, the National Diet
// Library's records served over real HTTP by a local server: the fields and
// the library's readings filled in, the ISBN kept beside the book, typed
// fields kept unless the user agrees, and each failure said in the dialog.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "app/card_view.h"
#include "app/cover_grid.h"
#include "edit/isbn_row.h"
#include "edit/isbn_scan_dialog.h"
#include "edit/record_dialog.h"
#include "ndl_server.h"
#include "store/query_builder.h"
#include "ui/message_dialog.h"
#include "window_fixture.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestIsbnLookup : public QObject {
    Q_OBJECT
    test::WindowFixture m_fixture;
    std::unique_ptr<test::NdlServer> m_server;

    TFormSetRecord* dialog() { return m_fixture.window->recordDialog(); }
    QString text(int field) { return dialog()->controlText(field); }
    void typeIsbn(const char* isbn) {
        QLineEdit* box = dialog()->isbnRow()->box();
        box->setFocus();
        box->clear();
        QTest::keyClicks(box, S(isbn));
    }
    QString status() { return dialog()->isbnRow()->status()->text(); }

private slots:
    void initTestCase() {
        m_server = std::make_unique<test::NdlServer>(S(QUILLO_NDL_DIR));
        qputenv("QUILLO_NDL_URL", m_server->url().toString().toUtf8());
    }
    void init() {
        m_fixture.open(S("insert into quillo (ID, Title, Writer) values (1, '草枕', '夏目 漱石')"));
        m_fixture.window->settings().ConfirmApply = false;
        m_fixture.window->settings().LookupAsked = true;  // asked in its own test
        clearNextMessageAnswers();
    }
    void cleanup() { m_fixture.close(); }

    void aBookIsFilledFromItsIsbnWithTheLibrarysReadings() {
        m_fixture.withDialog(
            "menuEAdd", [&] { return dialog(); },
            [&] {
                // What a barcode reader sends: the digits and Enter.
                typeIsbn("4-88367-131-3");
                QTest::keyClick(dialog()->isbnRow()->box(), Qt::Key_Return);
                QTRY_COMPARE_WITH_TIMEOUT(text(FieldNo::Title), S("情報検索演習"), 5000);
                QCOMPARE(text(FieldNo::Writer), S("原田 智子"));
                QCOMPARE(text(FieldNo::Writer4), S("澤井清"));
                QCOMPARE(text(FieldNo::Publisher), S("樹村房"));
                QCOMPARE(text(FieldNo::SubTitle), S("3訂"));
                QVERIFY(text(FieldNo::Memo).contains(S("2006.10")));
                QCOMPARE(dialog()->isbnRow()->box()->text(), S("978-4-88367-131-1"));
                QTest::mouseClick(dialog()->findChild<QPushButton*>(S("ButtonOK")), Qt::LeftButton);
            });
        m_fixture.trigger("menuFApply");
        const QString id =
            test::rows(S("select ID from quillo where Title = '情報検索演習'")).value(0);
        QVERIFY(!id.isEmpty());
        QCOMPARE(test::rows(S("select PubDate from quillo where ID = ") + id).value(0).left(10),
                 S("2006-10-01"));
        QCOMPARE(test::rows(S("select ID, Isbn from quillo_isbn")),
                 QStringList{id + S("|9784883671311")});
        // The card shows it, hyphenated.
        QVERIFY(m_fixture.store->QueryBook().locate(0, id.toLongLong()));
        m_fixture.trigger("menuVViewTypeRecord");
        QCOMPARE(m_fixture.window->findChild<CardView*>()->isbnText(), S("978-4-88367-131-1"));
        QCOMPARE(
            test::rows(S("select Title, Writer, Publisher, Writer2 from quillo_reading"
                         " where ID = ") +
                       id),
            QStringList{S("ジョウホウケンサクエンシュウ|ハラダ トモコ|ジュソンボウ|エグサ ユカ")});
    }

    // Typed fields stay unless the user agrees; an ISBN the library does not
    // know and one with a wrong check digit each say so and change nothing.
    void typedFieldsStayAndFailuresAreSaid() {
        m_fixture.withDialog(
            "menuEAdd", [&] { return dialog(); },
            [&] {
                dialog()->setControlText(FieldNo::Title, S("私の題名"));
                typeIsbn("9784883671311");
                setNextMessageAnswer(Answer::No);
                QTest::mouseClick(dialog()->isbnRow()->lookUpButton(), Qt::LeftButton);
                QTRY_COMPARE_WITH_TIMEOUT(text(FieldNo::Writer), S("原田 智子"), 5000);
                QVERIFY(lastShownMessage()->text.contains(S("入力済みの項目（書名）")));
                QCOMPARE(text(FieldNo::Title), S("私の題名"));

                typeIsbn("9784344018471");
                QTest::mouseClick(dialog()->isbnRow()->lookUpButton(), Qt::LeftButton);
                QTRY_VERIFY_WITH_TIMEOUT(status().contains(S("記録にありませんでした")), 5000);
                QCOMPARE(text(FieldNo::Title), S("私の題名"));

                typeIsbn("9784883671312");
                setNextMessageAnswer(Answer::Ok);
                QTest::mouseClick(dialog()->findChild<QPushButton*>(S("ButtonOK")), Qt::LeftButton);
                QVERIFY(dialog()->isVisible());
                QVERIFY2(lastShownMessage()->text.contains(S("チェックディジット")),
                         qPrintable(lastShownMessage()->text));
            });
        QCOMPARE(m_fixture.store->RecordCount(), 1);
    }

    // 編集 > ISBNで連続追加: numbers typed one after another with Enter, as a
    // barcode reader sends them. Each found book becomes a pending book with
    // its readings and ISBN; a wrong check digit, a number scanned twice, one
    // the catalogue has and one the library does not know are each said in
    // the list, and the last can be asked again.
    void aShelfIsCataloguedByScanning() {
        m_fixture.close();
        m_fixture.open(
            S("insert into quillo (ID, Title) values (1, '岩波新書の一冊');"
              "create table quillo_isbn (ID INTEGER PRIMARY KEY, Isbn TEXT NOT NULL);"
              "insert into quillo_isbn values (1, '9784004304166')"));
        m_fixture.window->settings().ConfirmApply = false;
        m_fixture.window->settings().LookupAsked = true;
        int added = 0;
        m_fixture.withDialog(
            "menuEScanIsbn", [&] { return m_fixture.window->findChild<TFormIsbnScan*>(); },
            [&] {
                auto* scan = m_fixture.window->findChild<TFormIsbnScan*>();
                scan->setSpacing(20);
                for (const char* number :
                     {"9784774162133", "4-8399-3199-X", "9784839931995", "4577024322",
                      "978-4-344-01847-1", "4-00-430416-4", "9784774162133", "4119115429"}) {
                    QTest::keyClicks(scan->box(), S(number));
                    QTest::keyClick(scan->box(), Qt::Key_Return);
                }
                QTRY_VERIFY_WITH_TIMEOUT(scan->idle(), 10000);
                QStringList lines;
                for (int i = 0; i < scan->list()->count(); ++i)
                    lines << scan->list()->item(i)->text();
                const QString all = lines.join(u'\n');
                QCOMPARE(lines.size(), 8);
                QVERIFY2(
                    lines[0].startsWith(S("978-4-7741-6213-3  「基礎からわかる情報リテラシー」")),
                    qPrintable(all));
                QVERIFY2(lines[1].contains(S("チェックディジット")), qPrintable(all));
                QVERIFY2(lines[4].contains(S("記録にありませんでした")), qPrintable(all));
                QVERIFY2(lines[5].contains(S("すでにカタログにあります（ID 1）")), qPrintable(all));
                QVERIFY2(lines[6].contains(S("読み取り済み")), qPrintable(all));
                added = scan->added();
                // Asked again, the unknown number stays unknown and stays listed.
                scan->list()->setCurrentRow(4);
                QTest::mouseClick(scan->findChild<QPushButton*>(S("ButtonRetry")), Qt::LeftButton);
                QTRY_VERIFY_WITH_TIMEOUT(scan->idle(), 10000);
                QVERIFY(scan->list()->item(4)->text().contains(S("記録にありませんでした")));
            });
        QCOMPARE(added, 4);
        QVERIFY(m_fixture.window->pendingMode());
        m_fixture.trigger("menuFApply");
        QCOMPARE(test::rows(S("select count(*) from quillo_isbn")), QStringList{S("5")});
        QCOMPARE(test::rows(S("select Writer from quillo_reading r join quillo_isbn i using (ID)"
                              " where i.Isbn = '9784577024324'"))
                     .size(),
                 1);
    }

    // An image dropped or pasted on the card is the book's cover, kept at most
    // 200 pixels high and pending until 更新適用; removing it likewise. The
    // card shows what is kept.
    void aCoverIsPutOnTheCardAndTakenOff() {
        m_fixture.trigger("menuVViewTypeRecord");
        CoverLabel* cover = m_fixture.window->findChild<CardView*>()->cover();
        QVERIFY(!cover->hasCover());
        QImage photo(600, 900, QImage::Format_RGB32);
        photo.fill(Qt::darkRed);
        cover->takeImage(photo);
        QVERIFY(m_fixture.window->pendingMode());
        QVERIFY(cover->hasCover());
        m_fixture.trigger("menuFApply");
        const QStringList stored = test::rows(S("select ID, length(Image) > 0 from quillo_cover"));
        QCOMPARE(stored, QStringList{S("1|1")});
        {
            Connection connection(S("book"));
            Statement image(connection.handle(), {S("select Image from quillo_cover")});
            QVERIFY(image.step());
            QCOMPARE(QImage::fromData(image.textAt(0).toByteArray()).height(), 200);
        }
        emit cover->coverChanged({});
        QVERIFY(m_fixture.window->pendingMode());
        QVERIFY(!cover->hasCover());
        m_fixture.trigger("menuFApply");
        QCOMPARE(test::rows(S("select count(*) from quillo_cover")), QStringList{S("0")});
        QVERIFY(!cover->hasCover());
    }

    // 表示 > 表紙 stands on the list's current book and moves it; a book with a
    // cover shows it, one without shows its title; Enter opens the book.
    void theCoverGridFollowsTheCurrentBook() {
        test::exec(S("insert into quillo (ID, Title) values (2, 'こころ'), (3, '坊っちゃん')"));
        m_fixture.store->RequeryShownList();
        m_fixture.trigger("menuVViewTypeRecord");
        QImage photo(140, 200, QImage::Format_RGB32);
        photo.fill(Qt::darkGreen);
        m_fixture.window->findChild<CardView*>()->cover()->takeImage(photo);
        m_fixture.trigger("menuFApply");
        CachedDataset& q = m_fixture.store->QueryBook();
        const int withCover = q.currentRow();
        m_fixture.trigger("menuVViewTypeCovers");
        CoverGrid* grid = m_fixture.window->coverGrid();
        QVERIFY(grid->isVisible());
        QCOMPARE(grid->currentIndex().row(), withCover);
        QVERIFY(!grid->coverOf(withCover).isNull());
        const int other = withCover == 0 ? 1 : 0;
        QVERIFY(grid->coverOf(other).isNull());
        QVERIFY(!grid->titleOf(other).isEmpty());
        grid->setCurrentIndex(grid->model()->index(other, 0));
        QCOMPARE(q.currentRow(), other);
        // Down goes a row of covers down: with three books in one row, nowhere.
        m_fixture.window->resize(900, 600);
        QApplication::processEvents();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(q.currentRow(), other);
        m_fixture.withDialog(
            "menuEEdit", [&] { return dialog(); },
            [&] { QCOMPARE(text(FieldNo::Title), grid->titleOf(other)); });
        m_fixture.window->settings().ViewType = BookView::List;
    }

    // The filter finds a book by its ISBN typed in either form, with hyphens
    // or without, over the readings' search texts and over the plain fields.
    void theFilterFindsABookByItsIsbn() {
        test::exec(
            S("create table quillo_isbn (ID INTEGER PRIMARY KEY, Isbn TEXT NOT NULL);"
              "insert into quillo_isbn values (1, '9784883671311')"));
        FieldFlags title{};
        title[FieldNo::Title] = 1;
        for (const char* typed : {"4883671313", "4-88367-131-3", "978-4-88367-131-1",
                                  "9784883671311", "９７８４８８３６７１３１１"}) {
            for (const bool readings : {true, false}) {
                const auto sql =
                    BuildFilterSql(S(typed), title, {}, FieldNameTable(), readings, true);
                QVERIFY(sql);
                const QStringList found = test::rows(sql->lines.join(u' '));
                QVERIFY2(found.size() == 1 && found[0].startsWith(S("1|草枕")), typed);
            }
        }
        // Through the window's own filter.
        m_fixture.store->ApplyFilter(S("4-88367-131-3"), &title);
        QCOMPARE(m_fixture.store->QueryBook().rowCount(), 1);
        m_fixture.store->ApplyFilter(S("4774162134"), &title);  // another book's
        QCOMPARE(m_fixture.store->QueryBook().rowCount(), 0);
        // And the search (F3) likewise.
        m_fixture.store->ApplyFilter(QString(), &title);
        m_fixture.store->Requery();
        QCOMPARE(m_fixture.store->Search(S("978-4-88367-131-1"), &title, true), 1);
        QCOMPARE(m_fixture.store->Search(S("4774162134"), &title, false), 0);
    }

    // The first look-up asks once whether ISBNs may go to the library: No
    // sends nothing and is kept, so the next look-up asks no more.
    void theFirstLookUpAsksOnce() {
        m_fixture.window->settings().LookupAsked = false;
        const int before = m_server->requests;
        m_fixture.withDialog(
            "menuEAdd", [&] { return dialog(); },
            [&] {
                typeIsbn("4883671313");
                setNextMessageAnswer(Answer::No);
                QTest::mouseClick(dialog()->isbnRow()->lookUpButton(), Qt::LeftButton);
                QTRY_VERIFY(status().contains(S("問い合わせませんでした")));
                QVERIFY(lastShownMessage()->text.contains(S("国立国会図書館")));
                clearShownMessages();
                QTest::mouseClick(dialog()->isbnRow()->lookUpButton(), Qt::LeftButton);
                QTRY_VERIFY(status().contains(S("問い合わせませんでした")));
                QCOMPARE(shownMessageCount(), 0);
                QCOMPARE(text(FieldNo::Title), QString());
            });
        QCOMPARE(m_server->requests, before);
        QVERIFY(m_fixture.window->settings().LookupAsked);
        QVERIFY(!m_fixture.window->settings().LookupEnabled);
    }

    // Enabled=0 written into the file by hand, never asked: a refusal, not a
    // question whose はい would turn it on.
    void enabledZeroIsNeverAskedOver() {
        m_fixture.window->settings().LookupAsked = false;
        m_fixture.window->settings().LookupEnabled = false;
        const int before = m_server->requests;
        m_fixture.withDialog(
            "menuEAdd", [&] { return dialog(); },
            [&] {
                typeIsbn("4883671313");
                setNextMessageAnswer(Answer::Yes);
                QTest::mouseClick(dialog()->isbnRow()->lookUpButton(), Qt::LeftButton);
                QTRY_VERIFY(status().contains(S("「国立国会図書館で調べる」")));
                QCOMPARE(shownMessageCount(), 0);
                // Said whole, on as many lines as it takes, in the dialog's width.
                QLabel* said = dialog()->isbnRow()->status();
                const int width = dialog()->width();
                QTRY_VERIFY(said->height() >= 2 * said->fontMetrics().lineSpacing());
                QVERIFY(said->wordWrap());
                QCOMPARE(dialog()->width(), width);
            });
        QCOMPARE(m_server->requests, before);
        QVERIFY(!m_fixture.window->settings().LookupEnabled);
        QVERIFY(!m_fixture.window->settings().LookupAsked);
    }
};

QTEST_MAIN(TestIsbnLookup)
#include "tst_isbn_lookup.moc"
