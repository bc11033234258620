// A first run opens on a welcome, not on an empty grid: it goes when the first
// book is pending and comes back when the catalogue is empty again.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QtTest>

#include "window_driver.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestWindowWelcome : public QObject {
    Q_OBJECT
    test::WindowFixture m_fixture;
    std::unique_ptr<test::WindowDriver> m_driver;
    test::WindowDriver& d() { return *m_driver; }

    QWidget* welcome() { return d().window().findChild<QWidget*>(S("PanelWelcome")); }
    bool welcomeShown() { return welcome() && welcome()->isVisible(); }

private slots:
    void init() {
        m_fixture.open();
        m_driver = std::make_unique<test::WindowDriver>(m_fixture);
        clearNextMessageAnswers();
    }
    void cleanup() {
        m_driver.reset();
        m_fixture.close();
    }

    void theSampleBooksReplaceTheWelcomeUntilCancelled() {
        QVERIFY(welcomeShown());
        welcome()->findChild<QPushButton*>(S("ButtonWelcomeSample"))->click();
        QVERIFY(!welcomeShown());
        QCOMPARE(d().query().rowCount(), 50);
        QVERIFY(d().window().pendingMode());
        d().trigger("menuFCancel");
        QVERIFY(welcomeShown());
        welcome()->findChild<QPushButton*>(S("ButtonWelcomeSample"))->click();
        d().trigger("menuFApply");
        QVERIFY(!welcomeShown());
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 50);
    }

    // Reading from a CSV file opens the CSV dialog with 入力 chosen; the menu's
    // command still chooses nothing.
    void theWelcomesCsvCommandChoosesImport() {
        auto checkedKind = [this](QAbstractButton* open) {
            int checked = -2;
            QTimer::singleShot(0, this, [&checked] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                const auto radios = dialog->findChild<QWidget*>(S("RadioGroupProcKind"))
                                        ->findChildren<QRadioButton*>();
                checked = -1;
                for (int i = 0; i < radios.size(); ++i)
                    if (radios[i]->isChecked())
                        checked = i;
                dialog->reject();
            });
            open ? open->click() : d().trigger("menuFIoCsv");
            return checked;
        };
        QCOMPARE(checkedKind(welcome()->findChild<QPushButton*>(S("ButtonWelcomeCsv"))), 0);
        QCOMPARE(checkedKind(nullptr), -1);
    }

    void addingTheFirstBookByHand() {
        d().record("menuEAdd", {{FieldNo::Title, S("雪国")}});
        QVERIFY(!welcomeShown());
        d().trigger("menuFApply");
        QVERIFY(!welcomeShown());
        setNextMessageAnswer(Answer::Yes);
        d().trigger("menuEDelete");
        d().trigger("menuFApply");
        QVERIFY(welcomeShown());  // empty again
    }
};

QTEST_MAIN(TestWindowWelcome)
#include "tst_window_welcome.moc"
