// The record dialog end to end, opened by the main window's commands over a real
// database file, with its questions pre-answered.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

#include "app/main_window.h"
#include "edit/date_text.h"
#include "edit/record_clipboard.h"
#include "edit/record_dialog.h"
#include "store/tdm.h"
#include "test_db.h"
#include "ui/message_dialog.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

// Types any text, one character (or surrogate pair) a key, as an input method would.
static void typeText(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() ? 2 : 1;
        const QString ch = text.mid(i, length);
        i += length - 1;
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, ch, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, ch, Qt::NoModifier);
    }
}

class TestRecordDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempBookDb> m_db;
    std::unique_ptr<TDM> m_store;
    std::unique_ptr<TFormMainWin> m_window;
    int m_beeps = 0;

    TFormSetRecord* dialog() { return m_window->recordDialog(); }
    QLineEdit* line(int field) {
        QWidget* c = dialog()->control(field);
        if (auto* list = qobject_cast<QComboBox*>(c))
            return list->lineEdit();
        return qobject_cast<QLineEdit*>(c);
    }
    void type(int field, const QString& text) {
        if (field == FieldNo::Memo)
            typeText(dialog()->control(field), text);
        else
            typeText(line(field), text);
    }
    void click(const char* button) {
        QTest::mouseClick(dialog()->findChild<QPushButton*>(QString::fromLatin1(button)),
                          Qt::LeftButton);
    }
    // Runs the command; `act` works in the dialog while it is open and must close it.
    void withDialog(const char* command, const std::function<void()>& act) {
        bool ran = false;
        QTimer::singleShot(0, this, [&] {
            QVERIFY(dialog()->isVisible());
            QApplication::setActiveWindow(dialog());
            QVERIFY(dialog()->isActiveWindow());
            QVERIFY(!QGuiApplication::overrideCursor());  // no busy cursor while the user types
            act();
            ran = true;
            if (dialog()->isVisible())
                dialog()->reject();  // never leave the test waiting on a dialog
        });
        m_window->findChild<QAction*>(QString::fromLatin1(command))->trigger();
        QVERIFY(ran);
    }
    QStringList table(const char* columns) {
        return test::rows(
            QStringLiteral("select %1 from quillo order by ID").arg(QString::fromLatin1(columns)));
    }
    void apply() { m_window->findChild<QAction*>(S("menuFApply"))->trigger(); }

private slots:
    void init() {
        m_db = std::make_unique<test::TempBookDb>();
        test::exec(S(
            "insert into quillo (ID, Title, Writer, Publisher, PubDate) values"
            " (1, '草枕', '夏目漱石', '新潮社', '1906-09-01'), (2, '舞姫', '森鴎外', NULL, NULL)"));
        m_store = std::make_unique<TDM>(nullptr);
        m_window = std::make_unique<TFormMainWin>(*m_store, m_db->folder() + S("/quillo.Ini"));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_beeps = 0;
        setDateBeep([this] { ++m_beeps; });
        clearShownMessages();
    }
    void cleanup() {
        m_window.reset();
        m_store.reset();
        m_db.reset();
    }

    // Escape and the close box ask before typed text is lost; without a yes the
    // dialog and the text stay. Nothing typed, nothing asked.
    // What the user typed is what is stored: an existing name that starts with
    // it is only suggested, whether the field is left with Tab or saved with Enter.
    void aTypedNameIsNeverCompletedSilently() {
        test::exec(
            S("insert into quillo (ID, Title, Writer) values (10, '本', '佐藤 遼太郎'),"
              " (11, '本', '小林 愛')"));
        withDialog("menuEAdd", [&] {
            type(FieldNo::Title, S("新刊"));
            line(FieldNo::Writer)->setFocus();
            type(FieldNo::Writer, S("佐藤"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(dialog()->controlText(FieldNo::Writer), S("佐藤"));
            line(FieldNo::Publisher)->setFocus();
            type(FieldNo::Publisher, S("小"));
            line(FieldNo::Writer2)->setFocus();
            type(FieldNo::Writer2, S("小林"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            if (dialog()->isVisible())  // Enter closed the suggestions first
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_VERIFY(!dialog()->isVisible());
        });
        apply();
        QCOMPARE(
            test::rows(S("select Writer, Publisher, Writer2 from quillo where Title = '新刊'")),
            QStringList{S("佐藤|小|小林")});
    }

    // A paste is never dropped whole without a word: a spreadsheet cell's line
    // break goes, a text past the limit is cut at it; a character Shift-JIS
    // lacks is taken, counted as a kanji is.
    void pastedTextIsTrimmedCutOrRefusedWithANote() {
        QClipboard* clipboard = QApplication::clipboard();
        auto paste = [&](QWidget* box, const QString& text) {
            clipboard->setText(text);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        };
        auto note = [&] { return dialog()->findChild<QLabel*>(S("LabelInputNote"))->text(); };
        withDialog("menuEAdd", [&] {
            paste(line(FieldNo::Title), S("坊っちゃん\r\n"));
            QCOMPARE(dialog()->controlText(FieldNo::Title), S("坊っちゃん"));
            QCOMPARE(note(), QString());

            paste(line(FieldNo::Writer), S("𠮷野家 Gödel"));
            QCOMPARE(dialog()->controlText(FieldNo::Writer), S("𠮷野家 Gödel"));
            QCOMPARE(note(), QString());
            line(FieldNo::Writer)->clear();
            paste(line(FieldNo::Writer), QString(31, QChar(0x3042)) + S("𠮷𠮷"));  // 66 bytes
            QCOMPARE(dialog()->controlText(FieldNo::Writer), QString(31, QChar(0x3042)) + S("𠮷"));

            line(FieldNo::SubTitle)->clear();
            paste(line(FieldNo::SubTitle), QString(160, QChar(0x3042)));  // 320 bytes
            QCOMPARE(dialog()->controlText(FieldNo::SubTitle), QString(127, QChar(0x3042)));
            QVERIFY2(note().contains(S("255 バイトを超える 33 文字を切り捨てました")),
                     qPrintable(note()));

            auto* memo = static_cast<QPlainTextEdit*>(dialog()->control(FieldNo::Memo));
            paste(memo, S("一行目\n") + QString(200, QChar(0x3044)));
            QCOMPARE(dialog()->controlText(FieldNo::Memo).size(), 4 + 124);  // 7 + 248 bytes
            QVERIFY2(note().startsWith(S("メモ")), qPrintable(note()));
            click("ButtonOK");
        });
        apply();
        QCOMPARE(test::rows(S("select Title, Writer, length(SubTitle) from quillo where"
                              " Title = '坊っちゃん'")),
                 QStringList{S("坊っちゃん|") + QString(31, QChar(0x3042)) + S("𠮷|127")});
    }

    void typedTextIsNotDiscardedWithoutAWord() {
        withDialog("menuEAdd", [&] {
            clearShownMessages();
            QTest::keyClick(line(FieldNo::Title), Qt::Key_Escape);
            QCOMPARE(shownMessageCount(), 0);
            QVERIFY(!dialog()->isVisible());
        });
        QVERIFY(!m_store->QueryBook().updatesPending());
        withDialog("menuEAdd", [&] {
            type(FieldNo::Title, S("坊っちゃん"));
            setNextMessageAnswer(Answer::No);
            QTest::keyClick(line(FieldNo::Title), Qt::Key_Escape);
            QCOMPARE(lastShownMessage()->text, S("入力した内容を破棄しますか？"));
            QCOMPARE(lastShownMessage()->buttons, kButtonsYesNoDefaultNo);
            QVERIFY(dialog()->isVisible());
            setNextMessageAnswer(Answer::Closed);  // the question's own close box
            dialog()->close();                     // the dialog's close box
            QVERIFY(dialog()->isVisible());
            QCOMPARE(line(FieldNo::Title)->text(), S("坊っちゃん"));
            setNextMessageAnswer(Answer::Yes);
            QTest::keyClick(line(FieldNo::Title), Qt::Key_Escape);
            QVERIFY(!dialog()->isVisible());
        });
        QVERIFY(!m_store->QueryBook().updatesPending());
    }

    void storedTextsLongerThanTheLimitsAreShownWholeAndOnlyShortened() {
        // 300 kanji: 600 Shift-JIS bytes, past the memo's 255 and the title's 64.
        const QString longText = QString(300, QChar(0x6F22));
        test::exec(S("update quillo set Memo = '短いメモ' where ID = 1"));
        test::exec(QStringLiteral("update quillo set Memo = '%1', Title = '%1' where ID = 2")
                       .arg(longText));
        m_window->findChild<QAction*>(S("menuFCancel"))->trigger();  // nothing pending: re-read
        m_store->Requery();
        m_store->QueryBook().first();  // 草枕, with the short memo
        withDialog("menuEEdit", [&] { click("ButtonCancel"); });
        m_window->findChild<QAction*>(S("menuELast"))->trigger();  // 舞姫
        withDialog("menuEEdit", [&] {
            QCOMPARE(dialog()->controlText(FieldNo::Memo), longText);
            QCOMPARE(dialog()->controlText(FieldNo::Title), longText);
            type(FieldNo::Title, S("字"));  // lengthening is refused
            QCOMPARE(dialog()->controlText(FieldNo::Title), longText);
            QTest::keyClick(line(FieldNo::Title), Qt::Key_Backspace);  // shortening is not
            QCOMPARE(dialog()->controlText(FieldNo::Title), longText.left(299));
            click("ButtonOK");
        });
        apply();
        QCOMPARE(table("Title, Memo").last(), longText.left(299) + S("|") + longText);
        QCOMPARE(table("Memo").first(), S("短いメモ"));
    }

    void charactersShiftJisLacksAreKeptAndTyped() {
        test::exec(S("update quillo set Title = '絵文字😀の本' where ID = 2"));
        m_store->Requery();
        m_window->findChild<QAction*>(S("menuELast"))->trigger();  // 舞姫's row, now 絵文字
        withDialog("menuEEdit", [&] {
            QCOMPARE(dialog()->controlText(FieldNo::Title), S("絵文字😀の本"));
            line(FieldNo::Title)->end(false);
            QTest::keyClick(line(FieldNo::Title), Qt::Key_Backspace);  // editing is allowed
            QCOMPARE(dialog()->controlText(FieldNo::Title), S("絵文字😀の"));
            type(FieldNo::Title, S("😀 Å"));  // and so is typing more
            QCOMPARE(dialog()->controlText(FieldNo::Title), S("絵文字😀の😀 Å"));
            click("ButtonOK");
        });
        apply();
        QCOMPARE(test::scalar(S("select count(*) from quillo where Title = '絵文字😀の😀 Å'")), 1);
    }

    void addNextTwiceThenCancelKeepsTwoBooks() {
        withDialog("menuEAdd", [&] {
            QCOMPARE(dialog()->windowTitle(), kAddCaption);
            type(FieldNo::Title, S("一冊目"));
            click("ButtonAddNew");
            type(FieldNo::Title, S("二冊目"));
            dialog()->ButtonDateChangeClick(1);
            click("ButtonAddNew");
            QCOMPARE(dialog()->windowTitle(), kAddCaption);
            QCOMPARE(dialog()->controlText(FieldNo::Title), QString());
            QCOMPARE(dialog()->dateButton(FieldNo::PubDate)->text(), S("西"));
            QCOMPARE(dialog()->controlText(FieldNo::PubDate), S("    /  /  "));
            type(FieldNo::Title, S("三冊目"));
            click("ButtonCancel");
        });
        QCOMPARE(m_store->RecordCount(), 4);
        QVERIFY(m_window->pendingMode());
        apply();
        QCOMPARE(table("ID, Title"),
                 (QStringList{S("1|草枕"), S("2|舞姫"), S("3|一冊目"), S("4|二冊目")}));
        withDialog("menuEAdd", [&] {
            QCOMPARE(m_store->QueryBook().integer(0), 6);  // 5 went with the cancelled book
            click("ButtonCancel");
        });
        QCOMPARE(m_store->RecordCount(), 4);
    }

    void cancelAfterEditingLeavesTheBookAsStored() {
        const QStringList before = table("*");
        withDialog("menuEEdit", [&] {
            QCOMPARE(dialog()->windowTitle(), kEditCaption);
            QCOMPARE(dialog()->controlText(FieldNo::Writer),
                     m_store->QueryBook().text(FieldNo::Writer));
            for (int field : {int(FieldNo::Title), int(FieldNo::Writer), int(FieldNo::Kind)})
                type(field, S("変更"));
            dialog()->setControlText(FieldNo::Memo, S("メモ"));
            click("ButtonCancel");
        });
        QVERIFY(!m_store->QueryBook().updatesPending());
        QVERIFY(!m_window->pendingMode());
        // OK on a book left as it was shown (its date and readings too) is no change.
        withDialog("menuEEdit", [&] {
            click("ButtonOK");
            QVERIFY(!dialog()->isVisible());
        });
        QCOMPARE(m_store->QueryBook().state(), DatasetState::Browse);  // the edit ended
        QVERIFY(!m_store->QueryBook().updatesPending());
        QVERIFY(!m_window->pendingMode());
        apply();
        QCOMPARE(table("*"), before);
    }

    void theTitleIsRequiredButABlankIsATitle() {
        withDialog("menuEAdd", [&] {
            setNextMessageAnswer(Answer::Ok);
            click("ButtonOK");
            QCOMPARE(lastShownMessage()->text, S("項目 \"書名\" は必須項目です。"));
            QCOMPARE(lastShownMessage()->kind, int(kMessageError));
            QVERIFY(dialog()->isVisible());
            type(FieldNo::Title, S(" "));
            click("ButtonOK");
            QVERIFY(!dialog()->isVisible());
        });
        apply();
        QCOMPARE(test::scalar(S("select count(*) from quillo where Title = ' '")), 1);
    }

    void eraDatesAreStoredAsWesternDates() {
        withDialog("menuEAdd", [&] {
            type(FieldNo::Title, S("和暦の本"));
            dialog()->ButtonDateChangeClick(1);
            QCOMPARE(dialog()->dateButton(FieldNo::PubDate)->text(), S("和"));
            type(FieldNo::PubDate, S("h110315"));
            QCOMPARE(dialog()->controlText(FieldNo::PubDate), S("H11/03/15"));
            dialog()->ButtonDateChangeClick(2);  // an empty era field: no date, no beep
            QCOMPARE(dialog()->controlText(FieldNo::BuyDate), S("   /  /  "));
            click("ButtonOK");
        });
        QCOMPARE(m_beeps, 0);
        apply();
        QCOMPARE(test::rows(S("select PubDate, BuyDate from quillo where Title = '和暦の本'")),
                 QStringList{S("1999-03-15|<null>")});
    }

    void switchingTheFormConvertsTheDate() {
        withDialog("menuEEdit", [&] {
            dialog()->ButtonDateChangeClick(1);
            // A Meiji first edition, in the era form a collector writes it in.
            QCOMPARE(dialog()->controlText(FieldNo::PubDate), S("M39/09/01"));
            QCOMPARE(dialog()->dateButton(FieldNo::PubDate)->text(), S("和"));
            QCOMPARE(m_beeps, 0);
            dialog()->setControlText(FieldNo::BuyDate, S("1872/09/01"));  // lunisolar then
            dialog()->ButtonDateChangeClick(2);
            QCOMPARE(dialog()->controlText(FieldNo::BuyDate), S("1872/09/01"));
            QCOMPARE(dialog()->dateButton(FieldNo::BuyDate)->text(), S("西"));
            QCOMPARE(m_beeps, 1);
            dialog()->setControlText(FieldNo::BuyDate, S("2118/01/01"));  // Reiwa 100
            dialog()->ButtonDateChangeClick(2);
            QCOMPARE(dialog()->controlText(FieldNo::BuyDate), S("2118/01/01"));
            QCOMPARE(dialog()->dateButton(FieldNo::BuyDate)->text(), S("西"));
            QCOMPARE(m_beeps, 2);
            m_beeps = 1;
            dialog()->setControlText(FieldNo::BuyDate, S("2001/02/30"));
            dialog()->ButtonDateChangeClick(2);  // no date at all: the same, one beep
            QCOMPARE(dialog()->controlText(FieldNo::BuyDate), S("2001/02/30"));
            QCOMPARE(dialog()->dateButton(FieldNo::BuyDate)->text(), S("西"));
            QCOMPARE(m_beeps, 2);
            dialog()->setControlText(FieldNo::BuyDate, QString());
            click("ButtonOK");
        });
        QCOMPARE(m_store->QueryBook().text(FieldNo::PubDate), S("1906/09/01"));
        m_store->QueryBook().last();
        withDialog("menuEEdit", [&] {
            dialog()->setControlText(FieldNo::PubDate, S("1999/03/15"));
            dialog()->ButtonDateChangeClick(1);
            QCOMPARE(dialog()->controlText(FieldNo::PubDate), S("H11/03/15"));
            dialog()->ButtonDateChangeClick(1);
            QCOMPARE(dialog()->controlText(FieldNo::PubDate), S("1999/03/15"));
            click("ButtonCancel");
        });
    }

    void anEraDateThatNamesNoDayIsRefusedAtSave() {
        for (const char* typed : {"x110315", "h110230"}) {
            withDialog("menuEEdit", [&] {
                dialog()->setControlText(FieldNo::PubDate, QString());
                dialog()->ButtonDateChangeClick(1);
                QCOMPARE(dialog()->dateButton(FieldNo::PubDate)->text(), S("和"));
                type(FieldNo::PubDate, S(typed));
                const QString shown = dialog()->controlText(FieldNo::PubDate);
                setNextMessageAnswer(Answer::Ok);
                click("ButtonOK");
                QCOMPARE(lastShownMessage()->text,
                         S("初版発行日: '") + shown +
                             S("' は日付ではありません（yyyy/mm/dd または H01/01/08 の形）"));
                QVERIFY(dialog()->isVisible());
                QCOMPARE(dialog()->controlText(FieldNo::PubDate), shown);
                click("ButtonCancel");
            });
        }
        apply();
        QCOMPARE(table("PubDate").first(), S("1906-09-01"));
    }

    void aDateTheStoreRefusesKeepsTheDialogOpen() {
        withDialog("menuEAdd", [&] {
            type(FieldNo::Title, S("日付違い"));
            type(FieldNo::PubDate, S("20010230"));
            setNextMessageAnswer(Answer::Ok);
            click("ButtonOK");
            // The message names the field and the forms it takes.
            QCOMPARE(lastShownMessage()->text,
                     S("初版発行日: '2001/02/30' は日付ではありません（yyyy/mm/dd または "
                       "H01/01/08 の形）"));
            QVERIFY(dialog()->isVisible());
            QCOMPARE(dialog()->controlText(FieldNo::PubDate), S("2001/02/30"));
            dialog()->setControlText(FieldNo::PubDate, QString());
            line(FieldNo::BuyDate)->setFocus();
            line(FieldNo::BuyDate)->setCursorPosition(0);
            type(FieldNo::BuyDate, S("1"));
            setNextMessageAnswer(Answer::Ok);
            click("ButtonOK");
            QCOMPARE(lastShownMessage()->text,
                     S("購入日: '1   /  /  ' は日付ではありません（yyyy/mm/dd または "
                       "H01/01/08 の形）"));
            click("ButtonCancel");  // the button says what it does: no question
        });
        QCOMPARE(m_store->RecordCount(), 2);
        QVERIFY(!m_store->QueryBook().updatesPending());
    }

    // The lists are in the list's order (JIS: 夏目 カ, 芥川 カイ, 森 シン) and offer
    // a name saved into a pending book at once, in its place; a cancel takes it
    // back out.
    void listsAreSortedAndOfferPendingValues() {
        auto items = [](QComboBox* list) {
            QStringList out;
            for (int i = 0; i < list->count(); ++i)
                out << list->itemText(i);
            return out;
        };
        test::exec(S("insert into quillo (ID, Title, Writer) values (3, '後から', '阿部 一族')"));
        auto* writers = static_cast<QComboBox*>(dialog()->control(FieldNo::Writer));
        withDialog("menuEAdd", [&] {
            QCOMPARE(items(writers), (QStringList{S("阿部 一族"), S("夏目漱石"), S("森鴎外")}));
            auto* kinds = static_cast<QComboBox*>(dialog()->control(FieldNo::Kind));
            QCOMPARE(kinds->count(), 1);  // only the absent value
            type(FieldNo::Title, S("新刊"));
            type(FieldNo::Writer, S("芥川龍之介"));
            click("ButtonOK");
        });
        QCOMPARE(items(writers),
                 (QStringList{S("阿部 一族"), S("夏目漱石"), S("芥川龍之介"), S("森鴎外")}));
        m_window->settings().ConfirmCancel = false;
        m_window->findChild<QAction*>(S("menuFCancel"))->trigger();
        // Read again when the dialog is next shown.
        withDialog("menuEAdd", [&] {
            QCOMPARE(items(writers), (QStringList{S("阿部 一族"), S("夏目漱石"), S("森鴎外")}));
            click("ButtonCancel");
        });
    }

    void aCopiedBookPastesIntoEveryField() {
        test::exec(
            S("update quillo set SubTitle='副', Writer2='二', Writer3='三', Writer4='四', "
              "Writer5='五',"
              " Translator='訳', Kind='小説', BuyDate='2020-01-02', Memo='メモ' where ID = 1"));
        m_store->QueryAll();
        QVERIFY(m_store->QueryBook().locate(0, 1));
        m_window->findChild<QAction*>(S("menuECopy"))->trigger();
        withDialog("menuEAdd", [&] {
            dialog()->PopupMenu2Popup();
            QVERIFY(dialog()->findChild<QAction*>(S("menuP2Paste"))->isEnabled());
            dialog()->findChild<QAction*>(S("menuP2Paste"))->trigger();
            const QStringList expected = {
                S("草枕"), S("夏目漱石"), S("新潮社"), S("1906/09/01"), S("2020/01/02"),
                S("副"),   S("小説"),     S("訳"),     S("メモ"),       S("二"),
                S("三"),   S("四"),       S("五")};
            QStringList shown;
            for (int field = 1; field < kFieldCount; ++field)
                shown << dialog()->controlText(field);
            QCOMPARE(shown, expected);
            setNextMessageAnswer(Answer::Yes);  // the same book twice: yes, on purpose
            click("ButtonOK");
        });
        QCOMPARE(lastShownMessage()->text,
                 S("同じ書名・著者名の本がすでにあります（「草枕」夏目漱石）。追加しますか？"));
        apply();
        QCOMPARE(
            test::scalar(S("select count(*) from quillo where Title = '草枕' and Memo = 'メモ'")),
            2);
    }

    // A title and writer another book has (width, kana, case and blanks aside)
    // are asked about, いいえ first: no keeps the dialog open with the text.
    void theSameBookTwiceIsAskedAbout() {
        withDialog("menuEAdd", [&] {
            dialog()->setControlText(FieldNo::Title, S("草　枕"));
            dialog()->setControlText(FieldNo::Writer, S("夏目 漱石"));
            setNextMessageAnswer(Answer::No);
            click("ButtonOK");
            QVERIFY(dialog()->isVisible());
            QCOMPARE(lastShownMessage()->buttons, kButtonsYesNoDefaultNo);
            QCOMPARE(dialog()->controlText(FieldNo::Title), S("草　枕"));
            dialog()->setControlText(FieldNo::Writer, S("漱石"));  // another writer: no question
            clearShownMessages();
            click("ButtonOK");
            QVERIFY(!dialog()->isVisible());
            QVERIFY(!lastShownMessage());
        });
        QCOMPARE(m_store->RecordCount(), 3);
    }

    void anEraTextPastedIntoAWesternFieldKeepsItsForm() {
        RecordCopyBuffer copied;
        copied.setField(FieldNo::Title, S("貼り付け"));
        copied.setField(FieldNo::PubDate, S("H11/03/15"));
        copied.setField(FieldNo::BuyDate, S("   /  /  "));
        BuildRecordClipboardText(copied, CopyStyle());
        withDialog("menuEAdd", [&] {
            dialog()->menuP2PasteClick();
            QCOMPARE(dialog()->dateButton(FieldNo::PubDate)->text(), S("和"));
            QCOMPARE(dialog()->controlText(FieldNo::PubDate), S("H11/03/15"));
            QCOMPARE(dialog()->controlText(FieldNo::BuyDate), S("    /  /  "));
            click("ButtonOK");
        });
        apply();
        QCOMPARE(test::rows(S("select PubDate from quillo where Title = '貼り付け'")),
                 QStringList{S("1999-03-15")});
    }

    void textsAreLimitedInShiftJisBytes() {
        withDialog("menuEAdd", [&] {
            QLineEdit* writer = line(FieldNo::Writer);
            writer->setFocus();
            type(FieldNo::Writer, QString(63, QLatin1Char('a')));
            type(FieldNo::Writer, S("本"));  // 65 bytes: refused
            QCOMPARE(writer->text().size(), 63);
            type(FieldNo::Writer, S("b"));
            QCOMPARE(writer->text().size(), 64);
            QLineEdit* title = line(FieldNo::Title);
            title->setFocus();
            title->insert(S("顔😀"));
            QCOMPARE(title->text(), S("顔😀"));  // any character goes in
            type(FieldNo::Title, S("絵文字あり"));
            dialog()->setControlText(FieldNo::Memo, QString());
            dialog()->control(FieldNo::Memo)->setFocus();
            type(FieldNo::Memo, QString(126, QChar(0x3042)));
            auto* memo = static_cast<QPlainTextEdit*>(dialog()->control(FieldNo::Memo));
            memo->insertPlainText(S("😀😀"));  // counted as two bytes each: the second is past 255
            QCOMPARE(dialog()->controlText(FieldNo::Memo), QString(126, QChar(0x3042)) + S("😀"));
            click("ButtonOK");
        });
        apply();
        QCOMPARE(test::rows(S("select length(Writer) from quillo where Title = '顔😀絵文字あり'")),
                 QStringList{S("64")});
    }

    void theCloseBoxDiscardsANewBook() {
        withDialog("menuEAdd", [&] {
            type(FieldNo::Title, S("閉じる"));
            setNextMessageAnswer(Answer::Yes);  // 入力した内容を破棄しますか？
            dialog()->close();
            QVERIFY(!dialog()->isVisible());
        });
        QCOMPARE(m_store->RecordCount(), 2);
        QVERIFY(!m_store->QueryBook().updatesPending());
        m_store->QueryBook().first();  // nothing half-made is posted later
        QVERIFY(!m_store->QueryBook().updatesPending());
    }

    void anEditedEraFieldCannotBeLeftWithoutItsLetter() {
        withDialog("menuEAdd", [&] {
            dialog()->ButtonDateChangeClick(1);
            auto* date = static_cast<DateMaskEdit*>(dialog()->control(FieldNo::PubDate));
            QVERIFY(date->hasFocus());
            date->setCursorPosition(1);
            typeText(date, S("11"));
            QVERIFY(date->isModified());
            setNextMessageAnswer(Answer::Ok);
            line(FieldNo::Title)->setFocus();
            QTRY_COMPARE(lastShownMessage() ? lastShownMessage()->text : QString(),
                         DateMaskEdit::kRefusal);
            QTRY_VERIFY(date->hasFocus());
            QTest::keyClick(date, Qt::Key_Escape);  // undoes the edit, the dialog stays
            QVERIFY(dialog()->isVisible());
            QCOMPARE(date->dateText(), S("   /  /  "));
            click("ButtonCancel");
        });
    }

    void theRecordMenuOffersPasteOnlyForARecord() {
        QApplication::clipboard()->setText(S("ただの文字"));
        withDialog("menuEAdd", [&] {
            dialog()->PopupMenu2Popup();
            QVERIFY(!dialog()->findChild<QAction*>(S("menuP2Paste"))->isEnabled());
            type(FieldNo::Title, S("コピー元"));
            dialog()->menuP2CopyClick();
            QCOMPARE(QApplication::clipboard()->text(), S("書名 :コピー元\r\n"));
            dialog()->PopupMenu2Popup();
            QVERIFY(dialog()->findChild<QAction*>(S("menuP2Paste"))->isEnabled());
            dialog()->menuP2ClearClick();
            QCOMPARE(dialog()->controlText(FieldNo::Title), QString());
            click("ButtonCancel");
        });
    }

    void rightClicksOpenTheRecordMenuOnlyOutsideTheFields() {
        withDialog("menuEAdd", [&] {
            QMenu* menu = dialog()->recordMenu();
            auto rightClick = [](QWidget* w) {
                QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                        w->mapToGlobal(QPoint(2, 2)));
                QApplication::sendEvent(w, &event);
            };
            rightClick(dialog()->findChild<QLabel*>(S("LabelWriter")));
            QTRY_VERIFY(menu->isVisible());
            menu->hide();
            rightClick(dialog());
            QTRY_VERIFY(menu->isVisible());
            menu->hide();
            QVERIFY(dialog()->contextMenuPolicy() == Qt::CustomContextMenu);
            QVERIFY(line(FieldNo::Title)->contextMenuPolicy() == Qt::DefaultContextMenu);
            click("ButtonCancel");
        });
    }

    void onlyTheDateFieldsRefuseTheInputMethod() {
        QVERIFY(!dialog()->control(FieldNo::PubDate)->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(!dialog()->control(FieldNo::BuyDate)->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(dialog()->control(FieldNo::Title)->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(line(FieldNo::Writer)->testAttribute(Qt::WA_InputMethodEnabled));
    }

    void labelsFollowTheFieldLabels() {
        m_window->settings().FieldLabels[FieldNo::Writer2] = S("共著者");
        m_window->ApplyFieldLabels();
        QCOMPARE(dialog()->findChild<QLabel*>(S("LabelWriter2"))->text(), S("共著者(&2)"));
    }
};

QTEST_MAIN(TestRecordDialog)
#include "tst_record_dialog.moc"
