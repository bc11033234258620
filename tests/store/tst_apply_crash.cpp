// A process killed while it applies pending updates leaves the table holding all
// of them or none, never a part.
#include <QProcess>
#include <QtTest>
#include <csignal>

#include "test_db.h"

using namespace quillo;

class TestApplyCrash : public QObject {
    Q_OBJECT
private slots:
    void killDuringApplyLeavesAllOrNothing_data() {
        QTest::addColumn<int>("delayMs");
        for (int delay : {0, 2, 10, 30, 80, 150, 300})
            QTest::addRow("killed after %d ms", delay) << delay;
    }
    void killDuringApplyLeavesAllOrNothing() {
        QFETCH(int, delayMs);
        constexpr int kBooks = 100000;
        test::TempBookDb db;
        test::exec(
            QStringLiteral("insert into quillo (ID, Title) values (1, '既存の本'), (2, '二冊目')"));

        QProcess worker;
        worker.start(QStringLiteral(APPLY_WORKER), {db.path(), QString::number(kBooks)});
        QVERIFY(worker.waitForStarted());
        while (!worker.canReadLine())
            QVERIFY2(worker.waitForReadyRead(60000), "the worker never started applying");
        QCOMPARE(worker.readLine().trimmed(), QByteArray("applying"));
        QTest::qSleep(delayMs);
        ::kill(static_cast<pid_t>(worker.processId()), SIGKILL);
        QVERIFY(worker.waitForFinished(60000));

        // Opening the file again rolls back whatever the killed process left half done.
        const qint64 rows = test::scalar(QStringLiteral("select count(*) from quillo"));
        QVERIFY2(rows == 2 || rows == 2 + kBooks, qPrintable(QString::number(rows)));
        QCOMPARE(test::rows(QStringLiteral("pragma integrity_check")),
                 QStringList{QStringLiteral("ok")});
        QCOMPARE(test::rows(QStringLiteral("select Title from quillo where ID <= 2 order by ID")),
                 (QStringList{QStringLiteral("既存の本"), QStringLiteral("二冊目")}));
    }
};

QTEST_GUILESS_MAIN(TestApplyCrash)
#include "tst_apply_crash.moc"
