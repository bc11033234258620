// The same book twice, as the user meets it in the window: 表示 > 重複の候補
// narrows the list to such books and clears like a filter, and a CSV import
// says how many of its books the catalogue has already.
#include <QAction>
#include <QLabel>
#include <QtTest>

#include "files.h"
#include "window_driver.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestWindowSameBooks : public QObject {
    Q_OBJECT
    test::WindowFixture m_fixture;
    std::unique_ptr<test::WindowDriver> m_driver;
    test::WindowDriver& d() { return *m_driver; }

private slots:
    void init() {
        m_fixture.open(
            S("insert into quillo (ID, Title, Writer) values (1, '雪国', '川端 康成'),"
              " (2, '千羽鶴', '川端 康成'), (3, '雪 国', '川端康成'), (4, 'ｷｯﾁﾝ', 'よしもと "
              "ばなな')"));
        m_driver = std::make_unique<test::WindowDriver>(m_fixture);
        clearNextMessageAnswers();
    }
    void cleanup() {
        m_driver.reset();
        m_fixture.close();
    }

    void theListNarrowsToTheSameBooksAndBack() {
        auto* shown = d().window().findChild<QLabel*>(S("StatusPanelFilter"));
        auto* command = d().window().findChild<QAction*>(S("menuVSameBooks"));
        d().trigger("menuVSameBooks");
        QCOMPARE(d().query().rowCount(), 2);
        QCOMPARE(d().query().textAt(0, FieldNo::Title) + d().query().textAt(1, FieldNo::Title),
                 S("雪国雪 国"));
        QCOMPARE(shown->text(), S("フィルター: 重複の候補"));
        QVERIFY(command->isChecked());
        // An apply keeps the list, as it keeps a filter.
        d().record("menuEEdit", {{FieldNo::Memo, S("初版")}});
        d().trigger("menuFApply");
        QCOMPARE(d().query().rowCount(), 2);
        QCOMPARE(shown->text(), S("フィルター: 重複の候補"));
        QVERIFY(command->isChecked());
        d().trigger("menuVSameBooks");
        QCOMPARE(d().query().rowCount(), 4);
        QVERIFY(shown->isHidden());
        QVERIFY(!command->isChecked());
        // Not while changes are pending (the list cannot be read again then).
        d().record("menuEAdd", {{FieldNo::Title, S("山の音")}});
        QVERIFY(!command->isEnabled());
    }

    void anImportSaysHowManyOfItsBooksAreThereAlready() {
        const QString path = m_fixture.db->folder() + S("/in.csv");
        test::writeFile(path, test::sjis(S("キッチン,よしもと ばなな\r\n山の音,川端 康成\r\n")));
        d().importCsv(path);
        QCOMPARE(lastShownMessage()->text, S("2 冊を読み込みました（更新適用で保存されます）\n"
                                             "うち 1 冊は同じ書名・著者名の本がすでにあります。"));
        QCOMPARE(d().query().rowCount(), 6);  // counted, not refused
    }
};

QTEST_MAIN(TestWindowSameBooks)
#include "tst_window_same_books.moc"
