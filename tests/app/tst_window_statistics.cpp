// 表示 > 統計 as the user meets it: the books the list shows counted and drawn,
// a filter narrowing them, a chart saved as a PNG file (whole or not at all)
// and copied, the window closed by its close box.
#include <QBarSet>
#include <QChartView>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QtTest>

#include "files.h"
#include "stats/statistics_window.h"
#include "ui/file_dialog.h"
#include "window_driver.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

namespace {

// The numbers a chart draws, in the order of its bars.
QList<qreal> barsOf(QDialog* statistics, int tab) {
    auto* view = statistics->findChild<QChartView*>(QStringLiteral("ChartView%1").arg(tab));
    const QList<QBarSet*> sets = view->chart()->findChildren<QBarSet*>();
    QList<qreal> values;
    if (!sets.isEmpty()) {
        for (int i = 0; i < sets.first()->count(); ++i)
            values << sets.first()->at(i);
    }
    return values;
}

QString label(QDialog* statistics, const QString& name) {
    return statistics->findChild<QLabel*>(name)->text();
}

void click(QDialog* statistics, const char* button) {
    statistics->findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

}  // namespace

class TestWindowStatistics : public QObject {
    Q_OBJECT
    test::WindowFixture m_fixture;
    std::unique_ptr<test::WindowDriver> m_driver;
    test::WindowDriver& d() { return *m_driver; }

    // Opens the statistics from the menu and runs `act` in them.
    void withStatistics(const std::function<void(QDialog*)>& act) {
        m_fixture.withDialog(
            "menuVStatistics", [this] { return m_fixture.window->findChild<TFormStatistics*>(); },
            [&] { act(m_fixture.window->findChild<TFormStatistics*>()); });
    }

private slots:
    void init() {
        m_fixture.open(S(
            "insert into quillo (ID, Title, Writer, Writer2, Publisher, Kind, PubDate, BuyDate)"
            " values (1, '雪国', '川端 康成', NULL, '新潮社', '小説', '1948-12-01', '2019-04-02'),"
            " (2, '千羽鶴', '川端 康成', NULL, '新潮社', '小説', '1952-02-01', '2021-05-05'),"
            " (3, '細雪', '谷崎 潤一郎', NULL, '中央公論社', '小説', '1949-12-01', NULL),"
            " (4, '対談集', '三島 由紀夫', '川端 康成', '講談社', '対談', NULL, NULL)"));
        m_driver = std::make_unique<test::WindowDriver>(m_fixture);
        clearNextMessageAnswers();
    }
    void cleanup() {
        m_driver.reset();
        m_fixture.close();
    }

    void theCatalogueInFiguresAndCharts() {
        withStatistics([](QDialog* statistics) {
            // Within the screen's room (offscreen: 800 x 600), buttons and all.
            const QRect room = statistics->screen()->availableGeometry();
            QVERIFY(statistics->height() <= room.height() - 40);
            QVERIFY(room.contains(
                statistics->findChild<QPushButton*>(S("ButtonClose"))->mapToGlobal(QPoint(0, 0))));
            QCOMPARE(label(statistics, S("LabelScope")), S("カタログのすべての本を数えています。"));
            QCOMPARE(label(statistics, S("LabelTotal0")), S("4 冊"));
            QCOMPARE(label(statistics, S("LabelTotal1")), S("3 人"));
            QCOMPARE(label(statistics, S("LabelTotal2")), S("3 社"));
            QCOMPARE(label(statistics, S("LabelTotal6")), S("1 冊"));  // neither date
            QCOMPARE(barsOf(statistics, 0), (QList<qreal>{1, 0, 1}));  // 2019, 2020, 2021
            QCOMPARE(barsOf(statistics, 1), (QList<qreal>{2, 1}));     // 1940s, 1950s
            // The most frequent writer at the top: the last bar of the lying chart.
            QCOMPARE(barsOf(statistics, 2), (QList<qreal>{1, 1, 3}));
            QCOMPARE(statistics->findChild<QTabWidget*>(S("TabCharts"))->count(), 5);
            statistics->close();  // the close box
            QVERIFY(!statistics->isVisible());
        });
    }

    // A filter, the 重複の候補 and pending changes: the books the list shows as
    // they are stored.
    void theListsBooksAreCounted() {
        d().setFilter(S("雪"), {FieldNo::Title});
        withStatistics([](QDialog* statistics) {
            QCOMPARE(label(statistics, S("LabelScope")),
                     S("フィルター「雪」で絞り込んだ本を数えています。"));
            QCOMPARE(label(statistics, S("LabelTotal0")), S("2 冊"));
            QCOMPARE(barsOf(statistics, 4), (QList<qreal>{2}));
        });
        d().setFilter(QString(), {FieldNo::Title});
        d().record("menuEAdd", {{FieldNo::Title, S("山の音")}});
        withStatistics([](QDialog* statistics) {
            QCOMPARE(label(statistics, S("LabelScope")),
                     S("カタログのすべての本のうち、保存済みのものを数えています。"
                       "まだ適用していない変更は、更新適用のあとで数えられます。"));
            QCOMPARE(label(statistics, S("LabelTotal0")), S("4 冊"));
        });
    }

    void anEmptyCatalogueOpensToo() {
        m_driver.reset();
        m_fixture.close();
        m_fixture.open();
        m_driver = std::make_unique<test::WindowDriver>(m_fixture);
        withStatistics([](QDialog* statistics) {
            QCOMPARE(label(statistics, S("LabelTotal0")), S("0 冊"));
            QVERIFY(barsOf(statistics, 0).isEmpty());
            auto* view = statistics->findChild<QChartView*>(S("ChartView2"));
            QVERIFY(view->chart()->title().endsWith(S("（数える本がありません）")));
        });
    }

    void aChartIsSavedAndCopied() {
        const QString folder = m_fixture.db->folder();
        withStatistics([&](QDialog* statistics) {
            statistics->findChild<QTabWidget*>(S("TabCharts"))->setCurrentIndex(2);
            // The suffix is added; a file there already is replaced whole.
            test::writeFile(folder + S("/writers.png"), "old");
            setNextFileName(folder + S("/writers"));
            click(statistics, "ButtonSave");
            QImage saved(folder + S("/writers.png"));
            QVERIFY(!saved.isNull());
            QCOMPARE(saved.size(), statistics->findChild<QChartView*>(S("ChartView2"))->size());

            click(statistics, "ButtonCopy");
            QCOMPARE(QGuiApplication::clipboard()->image().size(), saved.size());

            // A folder that is not there: said, and nothing written.
            setNextMessageAnswer(Answer::Ok);
            setNextFileName(folder + S("/missing/chart.png"));
            click(statistics, "ButtonSave");
            QCOMPARE(lastShownMessage()->kind, int(kMessageError));
            QVERIFY(lastShownMessage()->text.startsWith(S("グラフを保存できませんでした。")));
            QVERIFY(!QFile::exists(folder + S("/missing/chart.png")));

            // Cancelled chooser: nothing at all.
            const int shown = shownMessageCount();
            setNextFileName(QString());
            click(statistics, "ButtonSave");
            QCOMPARE(shownMessageCount(), shown);
        });
    }
};

QTEST_MAIN(TestWindowStatistics)
#include "tst_window_statistics.moc"
