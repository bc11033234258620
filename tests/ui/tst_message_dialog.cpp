// The one message dialog: its answers, its placement and the default error text.
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "platform/qt_translations.h"
#include "platform/screen_fit.h"
#include "ui/dialog_geometry.h"
#include "ui/error_display.h"
#include "ui/message_dialog.h"
#include "ui/remember_combo.h"

#include <QComboBox>

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestMessageDialog : public QObject {
    Q_OBJECT

    // Answers the dialog that is about to open by clicking its button with the
    // given caption, or by a key or its close box.
    void answerNextBox(const std::function<void(QMessageBox*)>& act) {
        QTimer::singleShot(0, this, [act] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    act(box);
                    return;
                }
            }
        });
    }
    static QAbstractButton* buttonWithText(QMessageBox* box, const QString& text) {
        for (QAbstractButton* b : box->buttons())
            if (b->text() == text)
                return b;
        return nullptr;
    }

private slots:
    void aDialogKeepsClearOfTheRowShown_data() {
        QTest::addColumn<QRect>("dialog");
        QTest::addColumn<QRect>("row");
        QTest::addColumn<QPoint>("expected");
        const QRect dialog(300, 200, 400, 150);
        QTest::addRow("clear already: stays")
            << dialog << QRect(0, 500, 1024, 20) << QPoint(300, 200);
        QTest::addRow("covers the row: below it")
            << dialog << QRect(0, 250, 1024, 20) << QPoint(300, 278);
        QTest::addRow("no room below: above it")
            << QRect(300, 600, 400, 150) << QRect(0, 700, 1024, 20) << QPoint(300, 542);
        QTest::addRow("never off the top")
            << QRect(300, 0, 400, 700) << QRect(0, 100, 1024, 20) << QPoint(300, 0);
        QTest::addRow("kept inside on the right")
            << QRect(900, 200, 400, 150) << QRect(0, 250, 1024, 20) << QPoint(624, 278);
    }
    void aDialogKeepsClearOfTheRowShown() {
        QFETCH(QRect, dialog);
        QFETCH(QRect, row);
        QFETCH(QPoint, expected);
        QCOMPARE(positionClearOf(dialog, row, QRect(0, 0, 1024, 768)), expected);
    }

    void placement_data() {
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QSize>("dialog");
        QTest::addColumn<bool>("raise");
        QTest::addColumn<QPoint>("expected");
        const QSize screen(1024, 768);
        Q_UNUSED(screen);
        QTest::addRow("centred, halves truncated")
            << QRect(199, 141, 687, 634) << QSize(301, 151) << true
            << QPoint(199 + 343 - 150, 141 + 317 - 75);
        QTest::addRow("pushed back from the right edge")
            << QRect(900, 100, 200, 100) << QSize(300, 100) << true << QPoint(724, 100);
        QTest::addRow("pushed back from the bottom")
            << QRect(100, 700, 200, 100) << QSize(100, 200) << false << QPoint(150, 568);
        QTest::addRow("message boxes are raised to 0")
            << QRect(-300, -200, 100, 100) << QSize(200, 200) << true << QPoint(0, 0);
        QTest::addRow("dialogs keep a negative place")
            << QRect(-300, -200, 100, 100) << QSize(200, 200) << false << QPoint(-350, -250);
    }
    void placement() {
        QFETCH(QRect, owner);
        QFETCH(QSize, dialog);
        QFETCH(bool, raise);
        QFETCH(QPoint, expected);
        QCOMPARE(centredPosition(owner, dialog, QSize(1024, 768), raise), expected);
    }

    // The main window's frame on restore and on save: two screens side by side
    // with a panel at the top of the first.
    void aWindowIsKeptOnAScreen_data() {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("expected");
        QTest::addRow("inside stays") << QRect(100, 100, 800, 600) << QRect(100, 100, 800, 600);
        QTest::addRow("above the top, as saved at scale 2")
            << QRect(200, -268, 800, 600) << QRect(200, 28, 800, 600);
        QTest::addRow("left of the left edge")
            << QRect(-500, 100, 800, 600) << QRect(0, 100, 800, 600);
        QTest::addRow("mostly on the second screen goes there")
            << QRect(1200, 300, 800, 900) << QRect(1200, 124, 800, 900);
        QTest::addRow("a screen since gone: the first one")
            << QRect(5000, 3000, 800, 600) << QRect(1024 - 800, 768 - 600, 800, 600);
        QTest::addRow("larger than the screen is shrunk to it")
            << QRect(-10, -10, 900, 2000) << QRect(0, 28, 900, 740);
    }
    void aWindowIsKeptOnAScreen() {
        QFETCH(QRect, frame);
        QFETCH(QRect, expected);
        const QList<QRect> screens{QRect(0, 28, 1024, 740), QRect(1024, 0, 1280, 1024)};
        QCOMPARE(keptOnScreen(frame, screens), expected);
        QCOMPARE(keptOnScreen(frame, {}), frame);
    }

    void noOwnerShowsNothing() {
        QCOMPARE(ShowMessageDialog(nullptr, S("x"), kMessageError, kButtonsOk), Answer::None);
        QCOMPARE(CentreFormOver(nullptr, nullptr), -1);
    }

    void preAnsweredQuestionsAreRecorded() {
        QWidget owner;
        setNextMessageAnswer(Answer::No);
        QCOMPARE(ShowMessageDialog(&owner, S("消しますか？"), kMessageConfirmation, kButtonsYesNo),
                 Answer::No);
        QCOMPARE(lastShownMessage()->text, S("消しますか？"));
        QCOMPARE(lastShownMessage()->kind, int(kMessageConfirmation));
    }

    void realDialogAnswers() {
        QWidget owner;
        owner.resize(400, 300);
        owner.show();
        answerNextBox([](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), S("確認"));
            QCOMPARE(box->defaultButton()->text(), S("はい(&Y)"));
            buttonWithText(box, S("いいえ(&N)"))->click();
        });
        QCOMPARE(ShowMessageDialog(&owner, S("q"), kMessageConfirmation, kButtonsYesNo),
                 Answer::No);
        answerNextBox([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
        QCOMPARE(ShowMessageDialog(&owner, S("q"), kMessageConfirmation, kButtonsYesNo),
                 Answer::Yes);
        answerNextBox([](QMessageBox* box) {
            QCOMPARE(box->defaultButton()->text(), S("いいえ(&N)"));
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(ShowMessageDialog(&owner, S("q"), kMessageConfirmation, kButtonsYesNoDefaultNo),
                 Answer::No);
        answerNextBox([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(ShowMessageDialog(&owner, S("q"), kMessageWarning, kButtonsYesNo), Answer::No);
        answerNextBox([](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), S("情報"));
            box->close();
        });
        QCOMPARE(ShowMessageDialog(&owner, S("i"), kMessageInformation, kButtonsOk),
                 Answer::Closed);
        answerNextBox([](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), S("エラー"));
            box->buttons().first()->click();
        });
        QCOMPARE(ShowMessageDialog(&owner, S("e"), kMessageError, kButtonsOk), Answer::Ok);
        // A title written as markup is shown as typed: the label holds it as
        // plain text, not as a bold word or an image.
        answerNextBox([](QMessageBox* box) {
            const auto* label = box->findChild<QLabel*>(S("qt_msgbox_label"));
            QVERIFY(label);
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QCOMPARE(label->text(), S("現在のレコード「<b>太字</b><img src=x>」を削除します。"));
            box->buttons().first()->click();
        });
        ShowMessageDialog(&owner, S("現在のレコード「<b>太字</b><img src=x>」を削除します。"),
                          kMessageConfirmation, kButtonsYesNo);
    }

    void comboHistoryRemembersNewTexts() {
        QComboBox combo;
        combo.setEditable(true);
        for (const char* text : {"夏目", "", "森", "夏目", "Mori", "mori"}) {
            combo.setEditText(S(text));
            QCOMPARE(RememberComboText(&combo), 0);
        }
        QStringList items;
        for (int i = 0; i < combo.count(); ++i)
            items << combo.itemText(i);
        QCOMPARE(items, (QStringList{S("夏目"), S("森"), S("Mori"), S("mori")}));
        QCOMPARE(RememberComboText(nullptr), -1);
    }

    void errorTextGetsItsFullStop_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::addRow("letter") << S("disk full") << S("disk full.");
        QTest::addRow("already a stop") << S("done.") << S("done.");
        QTest::addRow("Japanese stop sorts after") << S("失敗しました。") << S("失敗しました。.");
        QTest::addRow("comma sorts before") << S("a,") << S("a,");
        QTest::addRow("empty") << S("") << S("");
    }
    void errorTextGetsItsFullStop() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(errorDisplayText(message), shown);
    }

    // Qt's own dialogs (print, page setup, file choosers) speak Japanese too.
    void qtsOwnTextsAreJapanese() {
        installQtTranslations();
        QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
    }
};

QTEST_MAIN(TestMessageDialog)
#include "tst_message_dialog.moc"
