// The list in the order a Japanese reader expects, and a fuzzy search and filter
// that find a book however its title was typed: through the window, as a user
// chooses and types.
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QtTest>

#include "app/card_view.h"
#include "app/kana_index_view.h"
#include "files.h"
#include "window_driver.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestReadingOrder : public QObject {
    Q_OBJECT

    test::WindowFixture m_fixture;
    std::unique_ptr<test::WindowDriver> m_driver;
    test::WindowDriver& d() { return *m_driver; }

    QStringList writersShown() {
        QStringList writers;
        for (int row = 0; row < d().query().rowCount(); ++row)
            writers << d().query().textAt(row, FieldNo::Writer);
        return writers;
    }
    void open() {
        m_fixture.open(
            S("insert into quillo (ID, Title, Writer) values (1, '坂の上の雲', '中村'),"
              " (2, 'カナダ紀行', '井上'), (3, 'ハリー・ポッター', '伊藤'), (4, 'ABC殺人事件', "
              "'阿部')"));
        m_driver = std::make_unique<test::WindowDriver>(m_fixture);
    }

private slots:
    void init() { open(); }
    void cleanup() {
        m_driver.reset();
        m_fixture.close();
    }

    void theListIsInReadingOrderUntilCodeOrderIsChosen() {
        QCOMPARE(writersShown(), (QStringList{S("阿部"), S("伊藤"), S("井上"), S("中村")}));
        d().options([](TFormOption* dialog) {
            auto* order = dialog->findChild<QComboBox*>(S("ComboBoxCollation"));
            QCOMPARE(order->currentText(), S("読み順（五十音、数は大きさ順）"));  // a first run's
            order->setCurrentIndex(order->findText(S("文字コード順")));
        });
        QCOMPARE(writersShown(), (QStringList{S("中村"), S("井上"), S("伊藤"), S("阿部")}));

        // The choice is kept in the settings file and read at the next start.
        const QString ini = m_fixture.db->folder() + S("/quillo.Ini");
        m_driver.reset();
        setNextMessageAnswer(Answer::Yes);  // 終了しますか
        m_fixture.window->close();
        clearNextMessageAnswers();
        m_fixture.window.reset();
        QVERIFY(test::readFile(ini).contains("[SortOrder]\r\nCollation=CodePoint\r\n"));
        m_fixture.store.reset();
        m_fixture.store = std::make_unique<TDM>(nullptr, TDM::FirstRead::Deferred);
        m_fixture.window = std::make_unique<TFormMainWin>(*m_fixture.store, ini);
        m_fixture.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fixture.window.get()));
        m_driver = std::make_unique<test::WindowDriver>(m_fixture);
        QCOMPARE(writersShown(), (QStringList{S("中村"), S("井上"), S("伊藤"), S("阿部")}));
    }

    // An apply places the books by their readings' keys as they are now:
    // those read for the last apply serve the next, unless another connection
    // has written since.
    void anApplyPlacesBooksByTheKeysAsTheyAreNow() {
        CachedDataset& books = m_fixture.store->QueryBook();
        auto retitle = [&](int row, const char* title) {
            books.moveTo(row);
            books.edit();
            books.setText(S("Title"), S(title));
            books.post();
            m_fixture.store->ApplyPendingUpdates();
        };
        retitle(3, "坂の上の雲 上");
        QCOMPARE(writersShown(), (QStringList{S("阿部"), S("伊藤"), S("井上"), S("中村")}));
        test::exec(S("update quillo_reading set WriterKey = x'01' where ID = 1"));  // 中村 first
        retitle(0, "ABC殺人事件 新版");
        QCOMPARE(writersShown(), (QStringList{S("中村"), S("阿部"), S("伊藤"), S("井上")}));
    }

    // In reading order the list has a kana index: typed romaji or kana (as the
    // input method commits it) go to the first book whose writer reads so, the
    // 索引 menu to a row of the kana table, and the status bar says where the
    // current book stands. In JIS order there is none, and typing searches the
    // list's first column as before.
    void theKanaIndexGoesWhereTheReadingsSay() {
        auto* place = d().window().findChild<QLabel*>(S("StatusPanelIndex"));
        QTableView* grid = d().window().grid();
        grid->setFocus();
        QTest::keyClicks(grid, S("na"));
        QCOMPARE(d().query().text(FieldNo::Writer), S("中村"));
        QCOMPARE(place->text(), S("な行"));
        QTest::qWait(KanaIndexView::kTypingPauseMs + 100);  // a pause starts a new text
        QInputMethodEvent typed;
        typed.setCommitString(S("いの"));
        QApplication::sendEvent(grid, &typed);
        QCOMPARE(d().query().text(FieldNo::Writer), S("井上"));
        QCOMPARE(place->text(), S("あ行"));
        d().trigger("menuVIndexKana4");  // な
        QCOMPARE(d().query().text(FieldNo::Writer), S("中村"));
        d().trigger("menuVIndexKana1");  // か: no writer there, so the next row's first
        QCOMPARE(d().query().text(FieldNo::Writer), S("中村"));
        d().trigger("menuVIndexKana0");
        QCOMPARE(d().query().text(FieldNo::Writer), S("阿部"));

        d().options([](TFormOption* dialog) {
            auto* order = dialog->findChild<QComboBox*>(S("ComboBoxCollation"));
            order->setCurrentIndex(order->findText(S("JIS順（読みに近い）")));
        });
        QVERIFY(!d().window().findChild<QMenu*>(S("menuVIndex"))->isEnabled());
        QVERIFY(place->isHidden());
    }

    // A date is shown whole: in the card's boxes, and in the list's columns
    // whatever font is chosen.
    void datesAreNeverCut() {
        for (const char* name : {"EditPubDate", "EditBuyDate"}) {
            auto* box = d().window().cardView()->findChild<QLineEdit*>(S(name));
            QVERIFY(box->width() >=
                    QFontMetrics(box->font()).horizontalAdvance(S("2024/02/05")) + 6);
            QVERIFY(box->geometry().right() <
                    d().window().cardView()->findChild<QFrame*>()->width());
        }
        d().window().settings().RecordFont.size = 24;
        d().window().applyFonts();
        d().window().ApplyColumnLayout();
        QTableView* grid = d().window().grid();
        const int column = 3;  // after Title, Writer and Publisher
        QCOMPARE(grid->model()->headerData(column, Qt::Horizontal).toString(), S("初版発行日"));
        QVERIFY(grid->columnWidth(column) >=
                QFontMetrics(grid->font()).horizontalAdvance(S("2024/02/05")));
    }

    // The font tab shows the stored Windows name, and the font drawn for it.
    void theFontTabShowsTheStoredNameAndTheFontUsed() {
        d().options([](TFormOption* dialog) {
            auto* name = dialog->findChild<QComboBox*>(S("FontNameComboRecord"));
            QCOMPARE(name->currentText(), S("ＭＳ Ｐゴシック"));
            auto* used = dialog->findChild<QLabel*>(S("LabelFontUsedRecord"));
            QVERIFY2(used->text().startsWith(S("（表示: ")), qPrintable(used->text()));
        });
        QCOMPARE(d().window().settings().RecordFont.name, S("ＭＳ Ｐゴシック"));  // kept by OK
    }

    void theFilterAndTheFuzzySearchForgiveWidthKanaAndCase() {
        d().setFilter(S("ｶﾅﾀﾞ"), {FieldNo::Title});
        QCOMPARE(d().query().rowCount(), 1);
        QCOMPARE(d().query().text(FieldNo::Title), S("カナダ紀行"));
        d().setFilter(S("ａｂｃ"), {FieldNo::Title});
        QCOMPARE(d().query().text(FieldNo::Title), S("ABC殺人事件"));
        auto* shown = d().window().findChild<QLabel*>(S("StatusPanelFilter"));
        QVERIFY(!shown->isHidden());
        QCOMPARE(shown->text(), S("フィルター: ａｂｃ"));
        d().setFilter(QString(), {});
        QCOMPARE(d().query().rowCount(), 4);
        QVERIFY(shown->isHidden());

        // A filter text with no field ticked would do nothing: the dialog says so
        // and changes nothing.
        setNextMessageAnswer(Answer::Ok);
        d().setFilter(S("カナ"), {});
        QCOMPARE(lastShownMessage()->text,
                 S("フィルターの対象項目が選択されていません。\n対象項目を選択してください。"));
        QCOMPARE(d().query().rowCount(), 4);
        QVERIFY(shown->isHidden());
        clearNextMessageAnswers();

        QCOMPARE(d().search(S("はりー"), {FieldNo::Title}, true), 1);
        QCOMPARE(d().query().text(FieldNo::Title), S("ハリー・ポッター"));
        QCOMPARE(d().search(S("はりー・ぽったー"), {FieldNo::Title}, false),
                 0);  // exact stays exact
    }
};

QTEST_MAIN(TestReadingOrder)
#include "tst_reading_order.moc"
