// Every question that can lose something, answered as a user answers it: by
// its buttons, by Escape, by Enter, and closed by its close box without an
// answer, which never goes on.
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "app/main_window.h"
#include "store/tdm.h"
#include "test_db.h"
#include "ui/message_dialog.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestWindowQuestions : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempBookDb> m_db;
    std::unique_ptr<TDM> m_store;
    std::unique_ptr<TFormMainWin> m_window;
    QString m_asked;

    // Acts on the real message box the next command opens.
    void whenAsked(const std::function<void(QMessageBox*)>& act) {
        m_asked.clear();
        QTimer::singleShot(0, this, [this, act] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    m_asked = box->text();
                    act(box);
                    return;
                }
            }
        });
    }
    static void closeBox(QMessageBox* box) { box->close(); }
    static void escape(QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }
    static void enter(QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }
    void trigger(const char* name) {
        m_window->findChild<QAction*>(QString::fromLatin1(name))->trigger();
    }
    bool pending() { return m_store->QueryBook().updatesPending(); }
    int stored() { return int(test::scalar(S("select count(*) from quillo"))); }

private slots:
    void init() {
        m_db = std::make_unique<test::TempBookDb>();
        test::exec(S("insert into quillo (ID, Title) values (1, 'こころ'), (2, '羅生門')"));
        m_store = std::make_unique<TDM>(nullptr);
        m_window = std::make_unique<TFormMainWin>(*m_store, m_db->folder() + S("/quillo.Ini"));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->settings().ConfirmDelete = true;
        m_window->settings().ConfirmApply = true;
        m_window->settings().ConfirmCancel = true;
        m_window->settings().ConfirmExit = true;
        clearNextMessageAnswers();
    }
    void cleanup() {
        if (m_window) {
            m_window->settings().ConfirmExit = false;
            m_window->close();
        }
        m_window.reset();
        m_store.reset();
        m_db.reset();
    }

    void theExitQuestionWithoutAYesKeepsTheWindowAndTheChanges() {
        whenAsked([](QMessageBox* box) { box->buttons().first()->click(); });  // はい: delete
        trigger("menuEDelete");
        QVERIFY(pending());
        for (auto answer : {&TestWindowQuestions::closeBox, &TestWindowQuestions::escape,
                            &TestWindowQuestions::enter}) {
            whenAsked(answer);
            QVERIFY(!m_window->close());
            QCOMPARE(m_asked, S("更新が適用されていません。\n終了してよろしいですか？"));
            QVERIFY(m_window->isVisible());
            QVERIFY(pending());
        }
        QCOMPARE(stored(), 2);
    }

    void applyCancelAndDeleteClosedWithoutAnAnswerDoNothing() {
        whenAsked(closeBox);
        trigger("menuEDelete");
        QCOMPARE(m_asked, S("現在のレコード「こころ」を削除します。\nよろしいですか？"));
        QVERIFY(!pending());
        QCOMPARE(m_store->RecordCount(), 2);

        whenAsked([](QMessageBox* box) { box->buttons().first()->click(); });
        trigger("menuEDelete");
        QVERIFY(pending());
        whenAsked(closeBox);
        trigger("menuFApply");
        QVERIFY(pending());
        QCOMPARE(stored(), 2);
        // Cancelling drops changes: closed, or Enter (its default is いいえ), keeps them.
        for (auto answer : {&TestWindowQuestions::closeBox, &TestWindowQuestions::enter}) {
            whenAsked(answer);
            trigger("menuFCancel");
            QCOMPARE(m_asked, S("変更を取消し、元に戻します。\nよろしいですか？"));
            QVERIFY(pending());
        }
        whenAsked([](QMessageBox* box) { box->buttons().first()->click(); });
        trigger("menuFApply");
        QVERIFY(!pending());
        QCOMPARE(stored(), 1);
    }
};

QTEST_MAIN(TestWindowQuestions)
#include "tst_window_questions.moc"
