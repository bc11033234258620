// The CSV dialog end to end, opened by the main window's command.
#include <QComboBox>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "app/main_window.h"
#include "csv/csv_columns_dialog.h"
#include "csv/csv_dialog.h"
#include "files.h"
#include "ui/file_dialog.h"
#include "ui/message_dialog.h"
#include "window_fixture.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestCsvDialog : public QObject {
    Q_OBJECT

    test::WindowFixture m_fixture;
    TFormIoCsv* m_dialog = nullptr;

    template <typename T>
    T* find(const char* name) {
        return m_dialog->findChild<T*>(QString::fromLatin1(name));
    }
    QRadioButton* radio(const char* group, const char* caption) {
        for (auto* r : find<QWidget>(group)->findChildren<QRadioButton*>())
            if (r->text() == S(caption))
                return r;
        return nullptr;
    }
    // Runs the CSV command; `act` works in the dialog and the test closes it after.
    void withDialog(const std::function<void()>& act) {
        m_fixture.withDialog(
            "menuFIoCsv", [&] { return m_dialog = m_fixture.window->findChild<TFormIoCsv*>(); },
            act);
    }
    QString file(const char* name) { return m_fixture.db->folder() + QLatin1Char('/') + S(name); }

private slots:
    void init() {
        m_fixture.open(
            S("insert into quillo (ID, Title, Writer, PubDate) values (1, '雪国', '川端康成', "
              "'1937-06-12')"));
        clearShownMessages();
    }
    void cleanup() { m_fixture.close(); }

    void runsOnlyWithAKindAndAFileName() {
        withDialog([&] {
            QCOMPARE(m_dialog->windowTitle(), S("CSV形式変換"));
            auto* exec = find<QPushButton>("ButtonExec");
            auto* columns = find<QPushButton>("ButtonColumns");
            QVERIFY(!exec->isEnabled() && !columns->isEnabled());
            radio("RadioGroupProcKind", "入力(&I)")->click();
            QVERIFY(!exec->isEnabled());  // a kind, but no file name yet
            find<QLineEdit>("EditFileName")->setText(S("x.csv"));
            QVERIFY(exec->isEnabled() && columns->isEnabled());
            radio("RadioGroupProcKind", "出力(&O)")->click();
            QVERIFY(!columns->isEnabled());  // an export's columns are Quillo's
            radio("RadioGroupProcKind", "入力(&I)")->click();
            find<QLineEdit>("EditFileName")->clear();
            QVERIFY(!exec->isEnabled());
            QVERIFY(find<QCheckBox>("CheckBoxQuote")->isChecked());
            QCOMPARE(find<QComboBox>("ComboBoxDateFormat")->currentText(), S("YY/MM/DD"));
            QVERIFY(radio("RadioGroupSeparator", "自動(&A)")->isChecked());  // found in the file
        });
    }

    void importsTheLinesAsPendingBooks() {
        test::writeFile(file("in.csv"),
                        test::sjis(test::csvLine({S("\"千羽鶴\""), S("\"川端康成\"")}) +
                                   test::csvLine({S("\"山の音\"")})));
        setNextFileName(file("in.csv"));
        withDialog([&] {
            radio("RadioGroupProcKind", "入力(&I)")->click();
            m_dialog->ButtonFileBrowsClick();
            QCOMPARE(find<QLineEdit>("EditFileName")->text(), file("in.csv"));
            setNextMessageAnswer(Answer::Ok);
            m_dialog->ButtonExecClick();
            // The books are pending, and the message says they are not stored yet.
            QCOMPARE(lastShownMessage()->text, S("2 冊を読み込みました（更新適用で保存されます）"));
            QCOMPARE(lastShownMessage()->kind, int(kMessageInformation));
        });
        QCOMPARE(m_fixture.store->RecordCount(), 3);
        QVERIFY(m_fixture.window->pendingMode());
        QVERIFY(!m_fixture.window->findChild<QAction*>(S("menuFIoCsv"))->isEnabled());
        QCOMPARE(m_fixture.window->csvSettings().fileName,
                 file("in.csv"));  // kept for the next use
    }

    // The user sets where each column goes; a heading's columns are kept in
    // the settings file for the next file with that heading.
    void columnsSetByTheUserAreRememberedForTheirHeading() {
        const QByteArray heading = test::sjis(S("名前,作者,版元,覚え\r\n"));
        test::writeFile(file("a.csv"), heading + test::sjis(S("猫,夏目,新潮社,一冊目\r\n")));
        test::writeFile(file("b.csv"), heading + test::sjis(S("犬,芥川,春陽堂,二冊目\r\n")));
        auto importFile = [&](const char* name, bool setColumns) {
            withDialog([&] {
                radio("RadioGroupProcKind", "入力(&I)")->click();
                find<QLineEdit>("EditFileName")->setText(file(name));
                if (setColumns) {
                    QTimer::singleShot(0, m_dialog, [&] {
                        auto* columns = m_dialog->findChild<CsvColumnsDialog*>();
                        QVERIFY(columns && columns->isVisible());
                        // Closed however the checks end, so a failure never waits.
                        const std::unique_ptr<QDialog, void (*)(QDialog*)> closer(
                            columns, [](QDialog* d) { d->done(d->result()); });
                        auto box = [&](int c) {
                            return columns->findChild<QComboBox*>(S("ComboBoxColumn") +
                                                                  QString::number(c));
                        };
                        // No heading Quillo knows: the twelve columns in their order.
                        QCOMPARE(box(1)->currentText(), S("書名"));
                        QCOMPARE(box(2)->currentText(), S("著者名（複数の名前も）"));
                        QCOMPARE(box(4)->currentText(), S("初版発行日"));
                        box(4)->setCurrentText(S("メモ"));
                        auto* first = columns->findChild<QCheckBox*>(S("CheckBoxColumnsHeading"));
                        QVERIFY(!first->isChecked());
                        first->setChecked(true);
                        columns->setResult(QDialog::Accepted);
                    });
                    m_dialog->ButtonColumnsClick();
                }
                setNextMessageAnswer(Answer::Ok);
                m_dialog->ButtonExecClick();
                QVERIFY2(lastShownMessage()->text.startsWith(S("1 冊を読み込みました")),
                         qPrintable(lastShownMessage()->text));
            });
            m_fixture.trigger("menuFApply");
        };
        importFile("a.csv", true);
        importFile("b.csv", false);  // the same heading: read as set before
        QCOMPARE(test::rows(S("select Title, Writer, Publisher, Memo from quillo where ID > 1"
                              " order by ID")),
                 (QStringList{S("猫|夏目|新潮社|一冊目"), S("犬|芥川|春陽堂|二冊目")}));
        QVERIFY(test::readFile(m_fixture.db->folder() + S("/quillo.Ini")).contains("[CsvColumns]"));
    }

    void aFailingLineIsNamed() {
        test::writeFile(file("bad.csv"),
                        test::sjis(test::csvLine({S("良い")}) +
                                   test::csvLine({S("悪い"), S(""), S(""), S("1999/13/01")})));
        withDialog([&] {
            radio("RadioGroupProcKind", "入力(&I)")->click();
            find<QLineEdit>("EditFileName")->setText(file("bad.csv"));
            setNextMessageAnswer(Answer::Ok);
            m_dialog->ButtonExecClick();
            QCOMPARE(lastShownMessage()->text,
                     S("入力ファイル\n") + file("bad.csv") +
                         S("\nの 2 "
                           "行目でｴﾗｰとなりました。\n（エラー発生行より前"
                           "の行のデータは登録されています）\n"
                           "初版発行日: '1999/13/01' は日付ではありません"
                           "（yyyy/mm/dd または yyyy-mm-dd の形）\n"
                           "1 冊を読み込みました（更新適用で保存されます）"));
            // Line 1 is pending: the dialog is gone, so 実行 cannot add it twice.
            QVERIFY(!m_dialog->isVisible());
        });
        QCOMPARE(m_fixture.store->RecordCount(), 2);
        QVERIFY(!m_fixture.window->findChild<QAction*>(S("menuFIoCsv"))->isEnabled());
        m_fixture.store->CancelPendingUpdates();
        m_fixture.window->SetPendingMode(false);
        withDialog([&] {
            radio("RadioGroupProcKind", "入力(&I)")->click();
            find<QLineEdit>("EditFileName")->setText(file("missing.csv"));
            setNextMessageAnswer(Answer::Ok);
            m_dialog->ButtonExecClick();
            QCOMPARE(lastShownMessage()->text,
                     S("入力ファイル\n") + file("missing.csv") + S("\nは存在しません。"));
            QVERIFY(m_dialog->isVisible());  // nothing pending: it stays for another try
        });
        QCOMPARE(m_fixture.store->RecordCount(), 1);
    }

    void exportAsksBeforeOverwriting() {
        test::writeFile(file("out.csv"), "old\r\n");
        withDialog([&] {
            radio("RadioGroupProcKind", "出力(&O)")->click();
            find<QLineEdit>("EditFileName")->setText(file("out.csv"));
            radio("RadioGroupSeparator", "タブ(&T)")->click();
            find<QCheckBox>("CheckBoxQuote")->setChecked(false);
            setNextMessageAnswer(Answer::No);
            m_dialog->ButtonExecClick();
            QCOMPARE(lastShownMessage()->text,
                     S("既にファイルが存在します。\n上書きしてもよろしいですか？"));
            QCOMPARE(test::readFile(file("out.csv")), QByteArray("old\r\n"));
            setNextMessageAnswer(Answer::Yes);
            setNextMessageAnswer(Answer::Ok);
            m_dialog->ButtonExecClick();
            QCOMPARE(lastShownMessage()->text, S("正常に出力完了しました。"));
        });
        QCOMPARE(test::readFile(file("out.csv")),
                 test::sjis(S("雪国\t川端康成\t\t1937/06/12\t\t\t\t\t\t\t\t\r\n")));
    }

    void anUnquotedExportWarnsAndUtf8CanBeChosen() {
        test::exec(S("insert into quillo (ID, Title) values (2, 'a b')"));
        withDialog([&] {
            radio("RadioGroupProcKind", "出力(&O)")->click();
            find<QLineEdit>("EditFileName")->setText(file("out.csv"));
            find<QCheckBox>("CheckBoxQuote")->setChecked(false);
            find<QComboBox>("ComboBoxEncoding")->setCurrentIndex(2);  // UTF-8
            setNextMessageAnswer(Answer::Ok);
            m_dialog->ButtonExecClick();
            QCOMPARE(lastShownMessage()->kind, int(kMessageWarning));
            QCOMPARE(lastShownMessage()->text, unquotedExportWarning(1));
        });
        QVERIFY(test::readFile(file("out.csv")).startsWith("\xEF\xBB\xBF"));
        QCOMPARE(m_fixture.window->csvSettings().encoding, CsvEncoding::Utf8);  // kept for the run
        withDialog([&] { QCOMPARE(find<QComboBox>("ComboBoxEncoding")->currentIndex(), 2); });
    }

    // A book Shift-JIS cannot write: the dialog says so before anything is
    // written, and offers UTF-8; いいえ leaves the old file as it was.
    void aBookShiftJisCannotWriteIsOfferedUtf8() {
        test::exec(
            S("insert into quillo (ID, Title, Writer) values (2, '𠮷野家の本', 'Kurt Gödel')"));
        test::writeFile(file("out.csv"), "old\r\n");
        withDialog([&] {
            radio("RadioGroupProcKind", "出力(&O)")->click();
            find<QLineEdit>("EditFileName")->setText(file("out.csv"));
            setNextMessageAnswer(Answer::Yes);  // overwrite
            setNextMessageAnswer(Answer::No);   // no UTF-8
            setNextMessageAnswer(Answer::Ok);
            m_dialog->ButtonExecClick();
            QVERIFY2(lastShownMessage()->text.contains(S("ID 2「𠮷野家の本」")),
                     qPrintable(lastShownMessage()->text));
            QCOMPARE(test::readFile(file("out.csv")), QByteArray("old\r\n"));
            setNextMessageAnswer(Answer::Yes);
            setNextMessageAnswer(Answer::Yes);
            setNextMessageAnswer(Answer::Ok);
            m_dialog->ButtonExecClick();
            QCOMPARE(lastShownMessage()->text, S("正常に出力完了しました。"));
        });
        QVERIFY(QString::fromUtf8(test::readFile(file("out.csv")))
                    .contains(S("\"𠮷野家の本\",\"Kurt Gödel\"")));
    }
};

QTEST_MAIN(TestCsvDialog)
#include "tst_csv_dialog.moc"
