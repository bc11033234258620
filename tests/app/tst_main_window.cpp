// The main window end to end: the real window over a real database file, with
// every question pre-answered.
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "app/card_view.h"
#include "app/main_window.h"
#include "platform/help_viewer.h"
#include "ui/error_display.h"
#include "ui/message_dialog.h"
#include "widgets/about_box.h"

#include <QDesktopServices>
#include <QTextBrowser>
#include "catalogue_generator.h"
#include "edit/record_clipboard.h"
#include "files.h"
#include "store/tdm.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestMainWindow : public QObject {
    Q_OBJECT

public slots:
    void openLink(const QUrl& url) { m_opened << url.toString(); }

private:
    QStringList m_opened;

    std::unique_ptr<test::TempBookDb> m_db;
    std::unique_ptr<TDM> m_store;
    std::unique_ptr<TFormMainWin> m_window;
    QStringList m_errors;

    QString iniPath() const { return m_db->folder() + S("/quillo.Ini"); }

    void openWindow() {
        m_window.reset();
        m_store.reset();
        m_store = std::make_unique<TDM>(nullptr);
        m_window = std::make_unique<TFormMainWin>(*m_store, iniPath());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    // Closes the window as the user would, answering the close question if asked.
    void closeWindow() {
        m_window->close();
        m_window.reset();
        m_store->CloseStore();
        m_store.reset();
    }
    void books(const QString& values) {
        test::exec(S("insert into quillo (ID, Title, Writer, PubDate, BuyDate) values ") + values);
    }
    bool enabled(const char* name) {
        QObject* control = m_window->findChild<QObject*>(QString::fromLatin1(name));
        if (!control)
            qWarning("no control %s", name);
        if (auto* action = qobject_cast<QAction*>(control))
            return action->isEnabled();
        return qobject_cast<QWidget*>(control)->isEnabled();
    }
    void trigger(const char* name) {
        m_window->findChild<QAction*>(QString::fromLatin1(name))->trigger();
    }
    QString countText() { return m_window->findChild<QLabel*>(S("StatusPanel1"))->text(); }
    QString currentTitle() { return m_store->QueryBook().text(FieldNo::Title); }
    QLineEdit* cardBox(const char* name) {
        return m_window->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    QHeaderView* header() { return m_window->grid()->horizontalHeader(); }

private slots:
    void initTestCase() {
        setDefaultErrorHook([this](const QString& text) { m_errors << text; });
    }
    void init() {
        m_db = std::make_unique<test::TempBookDb>();
        m_errors.clear();
        clearShownMessages();
    }
    void cleanup() {
        m_window.reset();
        m_store.reset();
        m_db.reset();
    }

    void anEmptyCatalogueOffersNothingToWorkOn() {
        openWindow();
        QCOMPARE(countText(), S(" レコード数 ：    0"));
        for (const char* name :
             {"menuEEdit", "ToolButtonEdit", "menuEDelete", "ToolButtonDelete", "menuESearch",
              "ToolButtonFind", "menuECopy", "menuFApply", "ToolButtonCancel"})
            QVERIFY2(!enabled(name), name);
        for (const char* name :
             {"menuEAdd", "menuFIoCsv", "menuVOption", "menuFExit", "DummyRight"})
            QVERIFY2(enabled(name), name);
    }

    void theListTakesKeysFromTheFirstPaint() {
        QString values;
        for (int i = 1; i <= 200; ++i)
            values += S("%1(%2, '本%3', 'x', NULL, NULL)")
                          .arg(values.isEmpty() ? QString() : S(","))
                          .arg(i)
                          .arg(i, 3, 10, QLatin1Char('0'));
        books(values);
        openWindow();
        QCOMPARE(QApplication::focusWidget(), m_window->grid());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        QVERIFY2(currentTitle() > S("本001"), qPrintable(currentTitle()));
    }

    // A catalogue held for a moment by another program: the apply says to try
    // again, and the changes are still there to try it with.
    void anApplyRefusedWhileTheCatalogueIsBusyKeepsTheChanges() {
        books(S("(1, 'あ', 'x', NULL, NULL), (2, 'い', 'x', NULL, NULL)"));
        openWindow();
        m_window->settings().ConfirmDelete = false;
        m_window->settings().ConfirmApply = false;
        trigger("menuEDelete");
        {
            Connection holder(S("book"));
            holder.execute(S("BEGIN EXCLUSIVE"));
            trigger("menuFApply");
            holder.rollback();
        }
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.first().contains(S("使用中")) &&
                     m_errors.first().contains(S("もう一度")) &&
                     m_errors.first().contains(m_db->path()),
                 qPrintable(m_errors.first()));
        QVERIFY(m_store->QueryBook().updatesPending());
        trigger("menuFApply");
        QVERIFY(!m_store->QueryBook().updatesPending());
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 1);
    }

    // Another program (a second user's window, a script) deleted a book and
    // renumbered, or changed it, after this window read it: the window's stale
    // change is refused by name, stays pending, and a reload shows the file.
    void aBookAnotherProgramChangedIsNeverOverwritten_data() {
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("deleteHere");
        QTest::addRow("edit after delete and renumbering")
            << S("delete from quillo where ID = 2; update quillo set ID = ID - 1 where ID > 2")
            << false;
        QTest::addRow("edit after another edit")
            << S("update quillo set Memo = '貸出中' where ID = 2") << false;
        QTest::addRow("delete after renumbering")
            << S("delete from quillo where ID = 2; update quillo set ID = ID - 1 where ID > 2")
            << true;
    }
    void aBookAnotherProgramChangedIsNeverOverwritten() {
        QFETCH(QString, other);
        QFETCH(bool, deleteHere);
        books(
            S("(1, '冬の旅', 'a', NULL, NULL), (2, '雪の夜', 'b', NULL, NULL),"
              " (3, '月夜の約束', 'c', NULL, NULL)"));
        openWindow();
        m_window->settings().ConfirmDelete = false;
        CachedDataset& q = m_store->QueryBook();
        QVERIFY(q.locate(q.fieldIndex(S("ID")), 2));
        if (deleteHere) {
            trigger("menuEDelete");
        } else {
            q.edit();
            q.setText(S("Title"), S("雪の夜（改版）"));
            q.post();
            m_store->OnUpdatesPending();
        }
        test::exec(other);
        const QStringList onDisk = test::rows(S("select ID, Title, Memo from quillo order by ID"));
        setNextMessageAnswer(Answer::No);
        trigger("menuFApply");
        QVERIFY2(
            lastShownMessage() && lastShownMessage()->text.contains(
                                      S("他のプログラムがこの本を変更しました（ID 2「雪の夜」）")),
            qPrintable(lastShownMessage() ? lastShownMessage()->text : QString()));
        QVERIFY(q.updatesPending());
        QCOMPARE(test::rows(S("select ID, Title, Memo from quillo order by ID")), onDisk);
        // Yes reads the catalogue as the other program left it.
        setNextMessageAnswer(Answer::Yes);
        trigger("menuFApply");
        QVERIFY(!q.updatesPending());
        QCOMPARE(m_store->RecordCount(), onDisk.size());
        QCOMPARE(test::rows(S("select ID, Title, Memo from quillo order by ID")), onDisk);
        QVERIFY(enabled("menuEAdd") && !enabled("menuFApply"));
    }

    // The catalogue renamed or deleted under the open window: the apply says
    // so by name (not "attempt to write a readonly database") and keeps the
    // changes.
    void anApplyToACatalogueMovedAwaySaysSo_data() {
        QTest::addColumn<bool>("deleted");
        QTest::addRow("renamed") << false;
        QTest::addRow("deleted") << true;
    }
    void anApplyToACatalogueMovedAwaySaysSo() {
        QFETCH(bool, deleted);
        books(S("(1, 'あ', 'x', NULL, NULL), (2, 'い', 'x', NULL, NULL)"));
        openWindow();
        m_window->settings().ConfirmDelete = false;
        trigger("menuEDelete");
        if (deleted)
            QVERIFY(QFile::remove(m_db->path()));
        else
            QVERIFY(QFile::rename(m_db->path(), m_db->folder() + S("/moved.db")));
        trigger("menuFApply");
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.first().contains(S("移動されたか削除されました")) &&
                     m_errors.first().contains(m_db->path()) &&
                     !m_errors.first().contains(S("readonly")),
                 qPrintable(m_errors.first()));
        QVERIFY(m_store->QueryBook().updatesPending());
    }

    void commandsFollowTheNormalAndPendingStates() {
        books(S(
            "(1, 'あ', 'x', NULL, NULL), (2, 'い', 'x', NULL, NULL), (3, 'う', 'x', NULL, NULL)"));
        openWindow();
        QCOMPARE(countText(), S(" レコード数 ：    3"));
        for (const char* name : {"menuEEdit", "ToolButtonDelete", "menuESearch", "menuECopy",
                                 "menuFIoCsv", "menuVOption", "menuENext", "ToolButtonLast"})
            QVERIFY2(enabled(name), name);
        for (const char* name : {"menuFApply", "menuFCancel", "ToolButtonApply"})
            QVERIFY2(!enabled(name), name);

        setNextMessageAnswer(Answer::Yes);
        trigger("menuEDelete");
        QCOMPARE(lastShownMessage()->text,
                 S("現在のレコード「あ」を削除します。\nよろしいですか？"));
        QCOMPARE(countText(), S(" レコード数 ：    2"));
        QVERIFY(m_window->pendingMode());
        for (const char* name :
             {"menuFApply", "menuFCancel", "ToolButtonApply", "ToolButtonCancel"})
            QVERIFY2(enabled(name), name);
        // Pending after a delete as after an add or an edit: no search.
        for (const char* name : {"menuFIoCsv", "menuVOption", "menuESearch", "ToolButtonFind"})
            QVERIFY2(!enabled(name), name);

        trigger("menuFCancel");
        QCOMPARE(countText(), S(" レコード数 ：    3"));
        QVERIFY(!enabled("menuFApply"));
        QVERIFY(enabled("menuFIoCsv"));
        QVERIFY(enabled("menuVOption"));
    }

    void deletingTheLastBookLeavesApplyAndCancel() {
        books(S("(1, 'ひとり', NULL, NULL, NULL)"));
        openWindow();
        setNextMessageAnswer(Answer::Yes);
        trigger("menuEDelete");
        QCOMPARE(countText(), S(" レコード数 ：    0"));
        QVERIFY(enabled("menuFApply") && enabled("menuFCancel"));
        QVERIFY(!enabled("menuEEdit") && !enabled("menuECopy") && !enabled("menuESearch"));
        trigger("menuFApply");
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 0);
    }

    void applyAndCancelAskWhenTold() {
        books(S("(1, 'あ', NULL, NULL, NULL), (2, 'い', NULL, NULL, NULL)"));
        openWindow();
        m_window->settings().ConfirmApply = true;
        m_window->settings().ConfirmCancel = true;
        m_window->settings().ConfirmDelete = false;
        trigger("menuEDelete");
        setNextMessageAnswer(Answer::No);
        trigger("menuFApply");
        QCOMPARE(lastShownMessage()->text, S("変更を保存します。\nよろしいですか？"));
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 2);
        setNextMessageAnswer(Answer::No);
        trigger("menuFCancel");
        QCOMPARE(lastShownMessage()->text, S("変更を取消し、元に戻します。\nよろしいですか？"));
        QVERIFY(m_store->QueryBook().updatesPending());
        setNextMessageAnswer(Answer::Yes);
        trigger("menuFApply");
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 1);
        QVERIFY(!m_window->pendingMode());
        QCOMPARE(m_window->findChild<QLabel*>(S("StatusPanel0"))->text(), QString());
    }

    void aRefusedApplyIsShownAndKeepsTheChanges() {
        books(S("(1, 'あ', NULL, NULL, NULL)"));
        test::exec(
            S("create trigger refuse before delete on quillo begin select raise(abort, "
              "'削除できません'); end"));
        openWindow();
        setNextMessageAnswer(Answer::Yes);
        trigger("menuEDelete");
        trigger("menuFApply");
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.first().startsWith(S("更新の適用に失敗しました。削除できません")),
                 qPrintable(m_errors.first()));
        QVERIFY(m_window->pendingMode());
        QVERIFY(m_store->QueryBook().updatesPending());
        QVERIFY(m_store->cursorHookAttached());
    }

    void aSettingsFileSavedAsUtf8IsReadAndItsCopyIsNamedAtExit() {
        test::writeFile(iniPath(), S("[FieldName]\r\nNAME_WRITER2=共著者\r\n").toUtf8());
        openWindow();
        QCOMPARE(m_window->settings().FieldLabels[FieldNo::Writer2], S("共著者"));
        setNextMessageAnswer(Answer::Ok);
        closeWindow();
        QCOMPARE(lastShownMessage()->kind, int(kMessageInformation));
        QVERIFY2(lastShownMessage()->text.contains(iniPath() + S(".bak")),
                 qPrintable(lastShownMessage()->text));
        QVERIFY(test::readFile(iniPath()).contains(test::sjis(S("NAME_WRITER2=共著者"))));
    }

    void closingWithPendingChangesAsks() {
        books(S("(1, 'あ', NULL, NULL, NULL), (2, 'い', NULL, NULL, NULL)"));
        openWindow();
        m_window->settings().ConfirmDelete = false;
        trigger("menuEDelete");
        setNextMessageAnswer(Answer::No);
        trigger("menuFExit");
        QCOMPARE(lastShownMessage()->text,
                 S("更新が適用されていません。\n終了してよろしいですか？"));
        QCOMPARE(lastShownMessage()->buttons, kButtonsYesNoDefaultNo);  // Enter keeps the changes
        QVERIFY(m_window->isVisible());
        QVERIFY(m_store->QueryBook().updatesPending());
        setNextMessageAnswer(Answer::No);
        QVERIFY(!m_window->close());
        setNextMessageAnswer(Answer::Yes);
        QVERIFY(m_window->close());
        closeWindow();
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 2);  // the delete was dropped
    }

    void closingWithoutTheQuestionWhenSwitchedOff() {
        books(S("(1, 'あ', NULL, NULL, NULL)"));
        openWindow();
        m_window->settings().ConfirmExit = false;
        m_window->settings().ConfirmDelete = false;
        trigger("menuEDelete");
        clearShownMessages();
        QVERIFY(m_window->close());
        QVERIFY(!lastShownMessage());
    }

    void keysMoveBetweenBooksInBothViews() {
        books(S("(1, 'A', 'a', NULL, NULL), (2, 'B', 'b', NULL, NULL), (3, 'C', 'c', NULL, NULL)"));
        openWindow();
        QWidget* grid = m_window->grid();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(currentTitle(), S("B"));
        QCOMPARE(m_window->grid()->currentIndex().row(), 1);
        QTest::keyClick(grid, Qt::Key_End);
        QCOMPARE(currentTitle(), S("C"));
        QVERIFY(!enabled("menuENext") && !enabled("ToolButtonLast"));
        QTest::keyClick(grid, Qt::Key_Right);  // still runs Next; nothing moves
        QCOMPARE(currentTitle(), S("C"));
        QTest::keyClick(grid, Qt::Key_Left);
        QCOMPARE(currentTitle(), S("B"));
        QTest::keyClick(grid, Qt::Key_Home);
        QCOMPARE(currentTitle(), S("A"));
        QVERIFY(!enabled("menuEFirst") && enabled("menuELast"));

        trigger("menuVViewTypeRecord");
        QLineEdit* title = cardBox("EditTitle");
        QVERIFY(title->hasFocus() || QApplication::focusWidget() == title);
        QCOMPARE(title->text(), S("A"));
        QTest::keyClick(title, Qt::Key_Down);
        QCOMPARE(title->text(), S("B"));
        QTest::keyClick(title, Qt::Key_End);
        QCOMPARE(title->text(), S("C"));
        QTest::keyClick(title, Qt::Key_Home);  // the first book, not the start of the text
        QCOMPARE(title->text(), S("A"));
        QCOMPARE(cardBox("EditWriter")->text(), S("a"));
    }

    void copyInACardBoxCopiesTheRecord() {
        books(S("(1, '坊っちゃん', '夏目漱石', '1906-04-01', NULL)"));
        openWindow();
        trigger("menuVViewTypeRecord");
        QLineEdit* title = cardBox("EditTitle");
        title->selectAll();
        QTest::keyClick(title, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 S("書名 :坊っちゃん\r\n著者名 :夏目漱石\r\n初版発行日 :1906/04/01\r\n"));
        RecordCopyBuffer pasted;
        QVERIFY(ReadRecordFromClipboard(pasted));
        QCOMPARE(pasted.field(FieldNo::Writer), S("夏目漱石"));
    }

    void copyWithNoBooksCopiesNothing() {
        openWindow();
        QApplication::clipboard()->setText(S("そのまま"));
        trigger("menuVViewTypeRecord");
        QTest::keyClick(cardBox("EditTitle"), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), S("そのまま"));
    }

    void largeCountsWiden() {
        bench::generateCatalogue(m_db->path(), 12345);
        openWindow();
        QCOMPARE(countText(), S(" レコード数 ： 12345"));
    }

    void statusBarPanelFollowsTheBar() {
        openWindow();
        QStatusBar* bar = m_window->statusBar();
        QLabel* panel0 = m_window->findChild<QLabel*>(S("StatusPanel0"));
        const int before = panel0->width();
        bar->resize(510, bar->height());
        QCOMPARE(panel0->width(), before);
        bar->resize(511, bar->height());
        QCOMPARE(panel0->maximumWidth(), 381);
    }

    void theCardIsCentredAndShowsEmptyDates() {
        books(S("(1, '日付なし', NULL, NULL, NULL)"));
        openWindow();
        trigger("menuVViewTypeRecord");
        CardView* card = m_window->cardView();
        card->resize(600, 400);
        const QSize size = card->card()->size();
        QVERIFY(size.width() < 600 && size.height() < 400);
        QCOMPARE(card->card()->pos(), QPoint((600 - size.width()) / 2, (400 - size.height()) / 2));
        card->resize(300, 400);
        QCOMPARE(card->card()->x(), 0);
        QCOMPARE(cardBox("EditPubDate")->text(), S("    /  /  "));
        QCOMPARE(cardBox("EditBuyDate")->text(), S("    /  /  "));
        QCOMPARE(m_window->findChild<QLabel*>(S("LabelWriter2"))->text(), S("著者名２"));
    }

    void aColumnDragIsUndoneAndKeepsWidths() {
        books(S("(1, 'あ', 'x', NULL, NULL)"));
        openWindow();
        header()->resizeSection(1, 77);  // Writer
        header()->moveSection(1, 0);     // dragged in front of Title
        QCOMPARE(header()->visualIndex(0), 0);
        QCOMPARE(header()->visualIndex(1), 1);
        QCOMPARE(m_window->grid()->model()->headerData(0, Qt::Horizontal).toString(), S("書名"));
        QCOMPARE(header()->sectionSize(1), 77);
        QCOMPARE(header()->sectionSize(0), 200);
    }

    // A column dragged to nothing would be lost for good: it keeps a width that
    // can be grabbed, and a width of 0 stored by an older version shows at the
    // column's default.
    void aColumnIsNeverDraggedOutOfSight() {
        books(S("(1, 'あ', 'x', NULL, NULL)"));
        test::writeFile(iniPath(), "[FieldWidth]\r\nTitle=0\r\nWriter=-5\r\n");
        openWindow();
        QCOMPARE(header()->sectionSize(0), 200);
        QCOMPARE(header()->sectionSize(1), 100);
        header()->resizeSection(0, 0);
        QCOMPARE(header()->sectionSize(0), AppSettings::kMinimumColumnWidth);
        closeWindow();
        QVERIFY(test::readFile(iniPath()).contains(
            QByteArray("Title=") + QByteArray::number(AppSettings::kMinimumColumnWidth)));
        openWindow();
        QCOMPARE(header()->sectionSize(0), AppSettings::kMinimumColumnWidth);
    }

    void widthsSurviveCardViewApplyAndRestart() {
        books(S("(1, 'あ', 'x', NULL, NULL), (2, 'い', 'y', NULL, NULL)"));
        openWindow();
        header()->resizeSection(0, 123);
        trigger("menuVViewTypeRecord");
        trigger("menuVViewTypeList");
        QCOMPARE(header()->sectionSize(0), 123);
        m_window->settings().ConfirmDelete = false;
        trigger("menuEDelete");
        trigger("menuFApply");
        QCOMPARE(header()->sectionSize(0), 123);
        closeWindow();
        openWindow();
        QCOMPARE(header()->sectionSize(0), 123);
    }

    void theSavedCardViewOpensOnTheFirstSortedBook() {
        books(S("(1, 'Z', 'b', NULL, NULL), (2, 'Y', 'a', '1999-03-01', NULL)"));
        test::writeFile(iniPath(), "[Window]\r\nViewType=1\r\n");
        openWindow();
        QVERIFY(m_window->cardView()->isVisible());
        QVERIFY(!m_window->grid()->isVisible());
        QCOMPARE(cardBox("EditTitle")->text(), S("Y"));
        QCOMPARE(cardBox("EditPubDate")->text(), S("1999/03/01"));
        QVERIFY(m_window->findChild<QToolButton*>(S("ToolButtonViewRecord"))->isChecked());
    }

    void theFilterIsNotRestoredButTheSortIs() {
        books(S("(1, 'あ', 'b', NULL, NULL), (2, 'い', 'a', NULL, NULL)"));
        openWindow();
        m_window->settings().FilterText = S("a");
        m_window->settings().FilterFields[FieldNo::Writer] = true;
        m_window->settings().SortField1 = S("Title");
        m_window->settings().SortOption = 1;
        m_store->Requery();
        QCOMPARE(m_store->RecordCount(), 1);
        closeWindow();
        openWindow();
        QCOMPARE(m_store->RecordCount(), 2);
        QCOMPARE(currentTitle(), S("い"));  // Title descending
    }

    void theIdColumnShowsWhenTheSettingsAskForIt() {
        books(S("(7, 'あ', NULL, NULL, NULL)"));
        test::writeFile(iniPath(), "[FieldVisible]\r\nID=1\r\n");
        openWindow();
        QCOMPARE(m_window->grid()->model()->headerData(0, Qt::Horizontal).toString(), S("ID"));
        QCOMPARE(header()->sectionSize(0), 10);
        QCOMPARE(m_window->grid()->model()->index(0, 0).data().toString(), S("7"));
    }

    void shiftDeleteInTheGridDeletesDirectly() {
        books(S("(1, 'あ', NULL, NULL, NULL), (2, 'い', NULL, NULL, NULL)"));
        openWindow();
        m_window->settings().ConfirmDelete = false;
        m_window->grid()->setFocus();
        QTest::keyClick(m_window->grid(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(m_store->RecordCount(), 1);
    }

    void helpOpensAtItsContentsAndClosesWithTheWindow() {
        openWindow();
        trigger("menuHContents");
        QTextBrowser* help = HelpViewer::instance().window();
        QVERIFY(help && help->isVisible());
        QVERIFY(help->source().toString().endsWith(S("index.html")));
        QVERIFY(help->toPlainText().contains(S("更新適用")));
        // Wholly on the screen, and Escape closes it.
        QVERIFY(help->screen()->availableGeometry().contains(help->geometry()));
        QApplication::setActiveWindow(help);
        QTest::keyClick(help, Qt::Key_Escape);
        QTRY_VERIFY(!HelpViewer::instance().window() ||
                    !HelpViewer::instance().window()->isVisible());
        trigger("menuHContents");
        closeWindow();
        QTRY_VERIFY(!HelpViewer::instance().window() ||
                    !HelpViewer::instance().window()->isVisible());
    }

    void theAboutBoxOpensTheHelpOnlyWhenItIsNoSplash() {
        openWindow();
        QTRY_VERIFY(
            !m_window->findChild<TFormAbout*>());  // the splash is gone after the first showing
        HelpViewer::instance().quit();
        QTRY_VERIFY(!HelpViewer::instance().window());
        TFormAbout about(m_window.get());
        about.showSplash();
        QVERIFY(about.isSplash());
        QVERIFY(!about.findChild<QPushButton*>(S("ButtonOK"))->isVisible());
        auto* link = about.findChild<QLineEdit*>(S("EditURL"));
        QTest::mouseClick(link, Qt::LeftButton);
        QVERIFY(!HelpViewer::instance().window());
        about.endSplash();
        QCOMPARE(about.windowTitle(), S("バージョン情報"));
        about.show();
        QTest::mouseClick(link, Qt::LeftButton);
        QVERIFY(HelpViewer::instance().window() && HelpViewer::instance().window()->isVisible());
        QVERIFY(HelpViewer::instance().window()->source().toString().endsWith(S("index.html")));
        QVERIFY(!about.findChild<QLineEdit*>(S("EditMailAddress")));  // no address to nowhere
        HelpViewer::instance().quit();
    }

    void hintsGoToTheFirstPanelAndDisabledKeysGoNowhere() {
        openWindow();
        QStatusTipEvent tip(S("レコードの追加を行います。"));
        QApplication::sendEvent(m_window.get(), &tip);
        QCOMPARE(m_window->findChild<QLabel*>(S("StatusPanel0"))->text(),
                 S("レコードの追加を行います。"));
        QCOMPARE(m_window->findChild<QToolButton*>(S("ToolButtonAdd"))->toolTip(), S("追加"));
        QCOMPARE(m_window->findChild<QToolButton*>(S("ToolButtonAdd"))->statusTip(),
                 S("レコードの追加を行います。"));
        m_window->grid()->setFocus();
        QTest::keyClick(m_window->grid(),
                        Qt::Key_Delete);  // Delete is disabled: no question, nothing
        QVERIFY(!lastShownMessage());
    }

    // The context menu and the tool bar hold the menu bar's own actions: an
    // entry and its button cannot disagree about whether the command may run.
    void eachCommandIsOneActionWhereverItIsShown() {
        openWindow();
        QSet<QAction*> inMenuBar;
        for (QMenu* menu : m_window->menuBar()->findChildren<QMenu*>())
            for (QAction* action : menu->actions())
                inMenuBar.insert(action);
        auto* popup = m_window->findChild<QMenu*>(S("PopupMenu"));
        QList<QAction*> shown = popup->actions();
        shown += m_window->findChild<QMenu*>(S("menuPMViewType"))->actions();
        for (QAction* action : m_window->findChild<QToolBar*>(S("ToolBar"))->actions())
            if (qobject_cast<QToolButton*>(
                    m_window->findChild<QToolBar*>(S("ToolBar"))->widgetForAction(action)))
                shown << action;
        int commands = 0;
        for (QAction* action : std::as_const(shown)) {
            if (action->isSeparator() || action->menu())
                continue;
            ++commands;
            QVERIFY2(inMenuBar.contains(action), qPrintable(action->text()));
        }
        QCOMPARE(commands, 9 + 14);  // the context menu's entries, the tool bar's buttons
        // A button follows its entry's state and its check.
        auto* edit = m_window->findChild<QToolButton*>(S("ToolButtonEdit"));
        QCOMPARE(edit->isEnabled(), enabled("menuEEdit"));
        trigger("menuVViewTypeRecord");
        QVERIFY(m_window->findChild<QToolButton*>(S("ToolButtonViewRecord"))->isChecked());
        QVERIFY(!m_window->findChild<QToolButton*>(S("ToolButtonViewList"))->isChecked());
    }

    void theOptionsWaitForPendingChanges() {
        books(S("(1, 'あ', NULL, NULL, NULL)"));
        openWindow();
        m_store->QueryBook().setText(FieldNo::Title, S("変更"));
        m_store->QueryBook().post();
        setNextMessageAnswer(Answer::Ok);
        m_window->menuVOptionClick();
        QCOMPARE(lastShownMessage()->text,
                 S("更新が保留されています。\n更新適用してから表示設定を行ってください。"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
