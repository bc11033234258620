// A process killed while it saves the settings leaves the old file or the new one,
// whole; the next start reads it and no left-over temporary file.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "settings/settings_file.h"

using namespace quillo;

class TestSettingsCrash : public QObject {
    Q_OBJECT
private slots:
    void killDuringSaveLeavesAWholeFile_data() {
        QTest::addColumn<int>("delayMs");
        for (int delay : {0, 1, 3, 7, 15, 30, 60})
            QTest::addRow("killed after %d ms", delay) << delay;
    }
    void killDuringSaveLeavesAWholeFile() {
        QFETCH(int, delayMs);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quillo.Ini"));
        SaveSettings(path, AppSettings());
        QProcess worker;
        worker.start(QStringLiteral(SETTINGS_WORKER), {path});
        QVERIFY(worker.waitForStarted());
        while (!worker.canReadLine())
            QVERIFY2(worker.waitForReadyRead(60000), "the worker never started saving");
        QTest::qSleep(delayMs);
        ::kill(static_cast<pid_t>(worker.processId()), SIGKILL);
        QVERIFY(worker.waitForFinished(60000));

        AppSettings read;
        read.bounds.left = -1;
        LoadSettings(path, read);
        const QString label = read.FieldLabels[FieldNo::Writer2];
        const bool initial = read.bounds.left == AppSettings().bounds.left &&
                             label == AppSettings().FieldLabels[FieldNo::Writer2];
        const bool cat = read.bounds.left == 11 && label == QString(900, QChar(0x732B));
        const bool dog = read.bounds.left == 22 && label == QString(900, QChar(0x72AC));
        QVERIFY2(
            initial || cat || dog,
            qPrintable(
                QStringLiteral("left %1, label of %2").arg(read.bounds.left).arg(label.size())));
    }
};

QTEST_GUILESS_MAIN(TestSettingsCrash)
#include "tst_settings_crash.moc"
