// The search dialog end to end, opened by the main window's command.
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include "app/main_window.h"
#include "search/search_dialog.h"
#include "ui/message_dialog.h"
#include "window_fixture.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestSearchDialog : public QObject {
    Q_OBJECT

    test::WindowFixture m_fixture;

    TFormSearch* dialog() { return m_fixture.window->searchDialog(); }
    QPushButton* button(const char* name) {
        return dialog()->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QString current() { return m_fixture.store->QueryBook().text(FieldNo::Title); }
    void withDialog(const std::function<void()>& act) {
        m_fixture.withDialog(
            "menuESearch", [&] { return dialog(); }, act);
    }
    void setText(const QString& text) { dialog()->searchText()->setEditText(text); }
    QStringList history() {
        QStringList items;
        for (int i = 0; i < dialog()->searchText()->count(); ++i)
            items << dialog()->searchText()->itemText(i);
        return items;
    }

private slots:
    void init() {
        m_fixture.open(
            S("insert into quillo (ID, Title, Writer, Memo) values"
              " (1, '吾輩は猫である', '夏目漱石', NULL), (2, 'こころ', '夏目漱石', '猫'),"
              " (3, '猫の事務所', '宮沢賢治', NULL), (4, '銀河鉄道の夜', '宮沢賢治', NULL)"));
        clearShownMessages();
    }
    void cleanup() { m_fixture.close(); }

    // The history only suggests: "宮沢" typed and Enter searches "宮沢", not the
    // "宮沢賢治" of an earlier search.
    void aTypedTextIsSearchedAsTyped() {
        withDialog([&] {
            setText(S("宮沢賢治"));
            dialog()->ButtonFindClick();
            QVERIFY(history().contains(S("宮沢賢治")));
            auto* edit = dialog()->searchText()->lineEdit();
            edit->clear();
            edit->setFocus();
            for (const QString& ch : {S("宮"), S("沢")}) {
                QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, ch, Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, ch, Qt::NoModifier);
            }
            QCOMPARE(dialog()->searchText()->currentText(), S("宮沢"));
            dialog()->ButtonFindClick();
            QVERIFY(history().contains(S("宮沢")));
        });
    }

    // Alt+N with 次を検索 off types nothing; the status bar says which match is
    // shown and when it is the last.
    void theLastMatchIsSaidAndADisabledAltKeyTypesNothing() {
        auto status = [&] {
            return m_fixture.window->findChild<QLabel*>(S("StatusPanel0"))->text();
        };
        withDialog([&] {
            setText(S("宮沢"));
            dialog()->ButtonFindClick();
            QCOMPARE(status(), S("1 / 2 件目の一致"));
            dialog()->ButtonNextClick();
            QCOMPARE(status(), S("最後の一致です（2 / 2 件）"));
            QVERIFY(!button("ButtonNext")->isEnabled());
            const QString last = current();
            auto* edit = dialog()->searchText()->lineEdit();
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_N, Qt::AltModifier);
            QCOMPARE(dialog()->searchText()->currentText(), S("宮沢"));
            QCOMPARE(current(), last);
        });
    }

    // The dialog never hides the match it has just highlighted.
    void theHighlightedMatchIsNotCovered() {
        m_fixture.close();
        QString values;
        for (int i = 1; i <= 60; ++i)
            values += S("%1(%2, '本 %3', '著者')")
                          .arg(values.isEmpty() ? QString() : S(","))
                          .arg(i)
                          .arg(i, 2, 10, QLatin1Char('0'));
        m_fixture.open(S("insert into quillo (ID, Title, Writer) values ") + values);
        m_fixture.window->setGeometry(0, 0, 800, 700);
        withDialog([&] {
            for (const char* title : {"本 05", "本 12", "本 20"}) {
                setText(S(title));
                dialog()->ButtonFindClick();
                QCOMPARE(current(), S(title));
                QTableView* grid = m_fixture.window->grid();
                const QRect cell = grid->visualRect(grid->currentIndex());
                const QRect row(grid->viewport()->mapToGlobal(QPoint(0, cell.top())),
                                QSize(grid->viewport()->width(), cell.height()));
                QVERIFY2(!dialog()->frameGeometry().intersects(row), title);
            }
        });
    }

    void findAndNextWalkTheMatchesInViewOrder() {
        withDialog([&] {
            QVERIFY(!button("ButtonNext")->isEnabled());
            setText(S("猫"));
            dialog()->findChild<QCheckBox*>(S("CheckBoxSearchMemo"))->setChecked(true);
            dialog()->ButtonFindClick();
            QCOMPARE(current(), S("こころ"));  // sorted by writer, then title
            QVERIFY(button("ButtonNext")->isEnabled());
            dialog()->ButtonNextClick();
            QCOMPARE(current(), S("吾輩は猫である"));
            dialog()->ButtonNextClick();
            QCOMPARE(current(), S("猫の事務所"));
            QVERIFY(!button("ButtonNext")->isEnabled());  // the last match is shown
            setNextMessageAnswer(Answer::Ok);
            dialog()->ButtonNextClick();  // as a key could still run it
            QCOMPARE(lastShownMessage()->text,
                     S("検索文字列\n  '猫'\nに一致するレコードはこれ以上ありません。"));
            QVERIFY(!button("ButtonNext")->isEnabled());
            QCOMPARE(current(), S("猫の事務所"));
        });
    }

    void optionsAndModesChangeTheSearch() {
        withDialog([&] {
            setText(S("宮沢賢治"));
            auto radios = dialog()->findChildren<QRadioButton*>();
            radios.at(1)->click();  // exact
            dialog()->ButtonFindClick();
            QCOMPARE(current(), S("銀河鉄道の夜"));  // JIS order: 銀 before 猫
            dialog()->ButtonNextClick();
            QCOMPARE(current(), S("猫の事務所"));
            dialog()->findChild<QCheckBox*>(S("CheckBoxSearchPublish"))->click();
            QVERIFY(!button("ButtonNext")->isEnabled());
            setText(S("宮沢"));  // not equal to any writer
            setNextMessageAnswer(Answer::Ok);
            dialog()->ButtonFindClick();
            QCOMPARE(lastShownMessage()->text, S("検索文字列\n  '宮沢'\nは見つかりませんでした。"));
            QCOMPARE(current(), S("猫の事務所"));
        });
    }

    void enterSearchesAndTheHistoryKeepsEachTextOnce() {
        withDialog([&] {
            QLineEdit* edit = dialog()->searchText()->lineEdit();
            for (const char* text : {"こころ", "こころ", "Kokoro", "kokoro"}) {
                setText(S(text));
                if (QByteArray(text).startsWith('k') || QByteArray(text).startsWith('K'))
                    setNextMessageAnswer(Answer::Ok);
                QTest::keyClick(edit, Qt::Key_Return);
            }
            QVERIFY(dialog()->isVisible());
            QCOMPARE(history(), (QStringList{S("こころ"), S("Kokoro"), S("kokoro")}));
        });
    }

    void theDialogKeepsItsStateBetweenShowings() {
        m_fixture.window->settings().FieldLabels[FieldNo::Writer2] = S("共著者");
        withDialog([&] {
            setText(S("猫"));
            dialog()->findChild<QCheckBox*>(S("CheckBoxSearchKind"))->setChecked(true);
            dialog()->ButtonFindClick();
            QVERIFY(button("ButtonNext")->isEnabled());
            QCOMPARE(dialog()->findChild<QCheckBox*>(S("CheckBoxSearchWriter2"))->text(),
                     S("共著者(&2)"));
        });
        withDialog([&] {
            QCOMPARE(dialog()->searchText()->currentText(), S("猫"));
            QVERIFY(dialog()->findChild<QCheckBox*>(S("CheckBoxSearchKind"))->isChecked());
            QVERIFY(!button("ButtonNext")->isEnabled());
            QVERIFY(button("ButtonFind")->isEnabled());
            QCOMPARE(history(), QStringList{S("猫")});
        });
        QCOMPARE(m_fixture.store->SearchNext(), -2);  // closing ended the search
    }

    void anActiveFilterLimitsTheMatches() {
        const FieldFlags writer = [] {
            FieldFlags f{};
            f[FieldNo::Writer] = 1;
            return f;
        }();
        m_fixture.store->ApplyFilter(S("宮沢"), &writer);
        withDialog([&] {
            setText(S("猫"));
            dialog()->ButtonFindClick();
            QCOMPARE(current(), S("猫の事務所"));
            setNextMessageAnswer(Answer::Ok);
            dialog()->ButtonNextClick();
            QVERIFY(!button("ButtonNext")->isEnabled());
        });
    }
};

QTEST_MAIN(TestSearchDialog)
#include "tst_search_dialog.moc"
