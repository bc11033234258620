// Readings worth a look, through the real window: counted in the status bar,
// listed by 表示 > 読みの確認, marked in the record dialog, and put right by
// picking a candidate or typing one.
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include "edit/record_dialog.h"
#include "ui/error_display.h"
#include "ui/message_dialog.h"
#include "window_fixture.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestWindowReadings : public QObject {
    Q_OBJECT
    test::WindowFixture m_fixture;

    QLabel* uncertainPanel() {
        return m_fixture.window->findChild<QLabel*>(S("StatusPanelUncertain"));
    }
    QString storedReading(int id, const char* column) {
        return test::rows(S("select %1 from quillo_reading where ID = %2")
                              .arg(QString::fromLatin1(column), QString::number(id)))
            .value(0);
    }
    // Edits the current book; `act` works in the record dialog.
    void editCurrent(const std::function<void(TFormSetRecord*)>& act) {
        bool ran = false;
        QTimer::singleShot(0, m_fixture.window.get(), [&] {
            TFormSetRecord* dialog = m_fixture.window->recordDialog();
            QApplication::setActiveWindow(dialog);
            act(dialog);
            ran = true;
            if (dialog->isVisible())
                dialog->reject();
        });
        m_fixture.trigger("menuEEdit");
        QVERIFY(ran);
    }

private slots:
    void init() {
        m_fixture.open(
            S("insert into quillo (ID, Title, Writer, Publisher) values"
              " (1, '檸檬', '梶井 基次郎', '新潮社'), (2, '阪急電車', '有川 浩', '幻冬舎'),"
              " (3, '本', '原 尞', '早川書房')"));
        m_fixture.window->settings().ConfirmApply = false;
    }
    void cleanup() { m_fixture.close(); }

    void uncertainReadingsAreListedAndPutRight() {
        // A title of a word MeCab lacks and a name with a kanji no data read.
        QVERIFY(uncertainPanel()->isVisible());
        QCOMPARE(uncertainPanel()->text(), S("読みの確認: 2 冊"));
        m_fixture.trigger("menuVReadingReview");
        QCOMPARE(m_fixture.store->QueryBook().rowCount(), 2);
        QVERIFY(m_fixture.window->findChild<QLabel*>(S("StatusPanelFilter"))
                    ->text()
                    .contains(S("読みの確認")));

        // The writer's box of the book with 原 尞 is marked; typing the
        // reading puts it right for the name.
        QVERIFY(m_fixture.store->QueryBook().locate(0, 3));
        editCurrent([](TFormSetRecord* dialog) {
            // Every reading box can be clicked: nothing lies over it.
            for (const char* name :
                 {"EditTitleReading", "EditWriterReading", "EditPublisherReading"}) {
                auto* reading = dialog->findChild<QLineEdit*>(S(name));
                QCOMPARE(dialog->childAt(reading->geometry().center()), reading);
            }
            auto* box = dialog->findChild<QLineEdit*>(S("EditWriterReading"));
            QVERIFY(box->property("uncertain").toBool());
            box->setFocus();
            box->selectAll();
            QTest::keyClick(box, Qt::Key_Delete);
            QInputMethodEvent typed;  // kana arrive as the input method commits them
            typed.setCommitString(S("ハラ リョウ"));
            QApplication::sendEvent(box, &typed);
            QVERIFY(!box->property("uncertain").toBool());
            QTest::mouseClick(dialog->findChild<QPushButton*>(S("ButtonOK")), Qt::LeftButton);
        });
        m_fixture.trigger("menuFApply");
        QCOMPARE(storedReading(3, "Writer"), S("ハラ リョウ"));
        QCOMPARE(uncertainPanel()->text(), S("読みの確認: 1 冊"));

        // A certain reading that is not the writer's own: the candidates
        // under the box offer it, and picking one is a correction.
        QCOMPARE(m_fixture.store->QueryBook().rowCount(), 3);  // the apply reads every book
        QVERIFY(m_fixture.store->QueryBook().locate(0, 2));
        editCurrent([](TFormSetRecord* dialog) {
            auto* box = dialog->findChild<QLineEdit*>(S("EditWriterReading"));
            QVERIFY(box->text() != S("アリカワ ヒロ"));
            box->findChild<QAction*>(S("EditWriterReadingCandidates"))->trigger();
            auto* menu = dialog->findChild<QMenu*>(S("MenuReadingCandidates"));
            QTRY_VERIFY(menu && menu->isVisible());
            QCOMPARE(menu->actions().first()->text(), box->text());
            QAction* hiro = nullptr;
            for (QAction* a : menu->actions())
                if (a->text() == S("アリカワ ヒロ"))
                    hiro = a;
            QVERIFY2(hiro, "アリカワ ヒロ offered");
            hiro->trigger();
            menu->hide();
            QCOMPARE(box->text(), S("アリカワ ヒロ"));
            QTest::mouseClick(dialog->findChild<QPushButton*>(S("ButtonOK")), Qt::LeftButton);
        });
        m_fixture.trigger("menuFApply");
        QCOMPARE(storedReading(2, "Writer"), S("アリカワ ヒロ"));
        QCOMPARE(test::rows(S("select Reading from quillo_learned_reading")).value(0).isEmpty(),
                 false);
    }

    // 編集 > 元に戻す（最後の更新） takes back the last apply: asked first with
    // what it does, then the books and every row beside them (readings, search
    // texts) are as before the apply, and it is offered no more. A book another
    // program changed since is its work: the undo is refused, nothing changes.
    void theLastApplyIsTakenBackWithItsReadings() {
        auto everything = [] {
            return test::rows(S("select * from quillo order by ID")) +
                   test::rows(S("select * from quillo_reading order by ID")) +
                   test::rows(S("select * from quillo_search order by ID"));
        };
        auto undoEnabled = [&] {
            return m_fixture.window->findChild<QAction*>(S("menuEUndoApply"))->isEnabled();
        };
        m_fixture.window->settings().ConfirmDelete = false;
        CachedDataset& q = m_fixture.store->QueryBook();
        for (const bool anotherProgram : {false, true}) {
            const QStringList before = everything();
            QVERIFY(!undoEnabled());
            m_fixture.store->AppendBook({QString(), S("雪国"), S("川端 康成")});
            m_fixture.store->AppendBook({QString(), S("細雪"), S("谷崎 潤一郎")});
            m_fixture.store->AppendBook({QString(), S("斜陽"), S("太宰 治")});
            QVERIFY(q.locate(0, 1));
            q.edit();
            q.setText(S("Title"), S("檸檬（新版）"));
            q.post();
            QVERIFY(q.locate(0, 2));
            m_fixture.trigger("menuEDelete");
            m_fixture.store->OnUpdatesPending();
            m_fixture.trigger("menuFApply");
            QVERIFY(!q.updatesPending());
            QVERIFY(undoEnabled());
            const QStringList applied = everything();
            QVERIFY(applied != before);
            if (anotherProgram)
                test::exec(S("update quillo set Memo = '他のプログラム' where Title = '細雪'"));
            const QStringList onDisk = everything();

            setNextMessageAnswer(Answer::No);
            m_fixture.trigger("menuEUndoApply");
            QCOMPARE(lastShownMessage()->text,
                     S("3 冊の追加、1 冊の変更と 1 冊の削除を取り消します。\nよろしいですか？"));
            QCOMPARE(everything(), onDisk);

            setNextMessageAnswer(Answer::Yes);
            QString error;
            setDefaultErrorHook([&](const QString& text) { error = text; });
            m_fixture.trigger("menuEUndoApply");
            setDefaultErrorHook(nullptr);
            QVERIFY(!undoEnabled());
            if (anotherProgram) {
                QVERIFY2(
                    error.contains(S("他のプログラムがこれらの本を変更したため、取り消せません")),
                    qPrintable(error));
                QCOMPARE(everything(), onDisk);
            } else {
                QCOMPARE(error, QString());
                QCOMPARE(everything(), before);
                QCOMPARE(m_fixture.store->RecordCount(), 3);
                QCOMPARE(q.rowCount(), 3);
            }
        }
    }
};

QTEST_MAIN(TestWindowReadings)
#include "tst_window_readings.moc"
