// A book added from its ISBN in the real record dialog, the National Diet
// Library's records served over real HTTP by a local server: the fields and
// the library's readings filled in, the ISBN kept beside the book, typed
// fields kept unless the user agrees, and each failure said in the dialog.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "edit/isbn_row.h"
#include "edit/record_dialog.h"
#include "ndl_server.h"
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
};

QTEST_MAIN(TestIsbnLookup)
#include "tst_isbn_lookup.moc"
