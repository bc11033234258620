// The real program: one instance at a time, and a clear end when the catalogue
// cannot be opened.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>
#include "damaged_files.h"
#include "files.h"
#include "full_disk.h"

#include "engine/catalogue_file.h"
#include "platform/catalogue_lock.h"
#include "platform/single_instance.h"
#include "store/book_table.h"
#include "tool_holder.h"

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestProgram : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QTemporaryDir m_runtime;

    // The program keeps its files beside itself, so each run uses a copy in a
    // folder of its own.
    QString installCopy(const QString& folder) {
        QDir().mkpath(folder);
        const QString program = folder + S("/quillo");
        QFile::remove(program);
        QFile::copy(S(QUILLO_BIN), program);
        return program;
    }
    void prepare(QProcess& process) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(S("QT_QPA_PLATFORM"), S("offscreen"));
        env.insert(S("XDG_RUNTIME_DIR"), m_runtime.path());
        process.setProcessEnvironment(env);
    }

private slots:
    void initTestCase() {
        QFile::setPermissions(m_runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The locks this test looks for are in the same runtime folder.
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    void aSecondInstanceIsRefused() {
        const QString program = installCopy(m_dir.filePath(S("one")));
        QProcess first;
        prepare(first);
        first.start(program);
        QVERIFY(first.waitForStarted());
        // The first one holds the lock once it is up.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_runtime.filePath(S("__QUILLO_APP"))), 20000);
        // ... and, on a first run, makes its catalogue at its own place and holds
        // the lock on it, which quillo-csv respects.
        const QString catalogue = m_dir.filePath(S("one/book.db"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(catalogue), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(quillo::CatalogueLock::isWrittenByAnother(catalogue), 20000);

        QProcess second;
        prepare(second);
        second.start(program);
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(
            QString::fromUtf8(second.readAllStandardError()).contains(S("既に起動されています。")));
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();  // SIGTERM: the lock it leaves behind is stale
        QVERIFY(first.waitForFinished(20000));
        QProcess third;
        prepare(third);
        third.start(program);
        QVERIFY(third.waitForStarted());
        QTest::qWait(1500);
        QCOMPARE(third.state(), QProcess::Running);  // the stale lock was taken over
        third.kill();
        third.waitForFinished();
    }

    // A Quillo that holds the lock but shows no window is closing: a start waits
    // for it and then opens, instead of saying one is running.
    void aStartDuringACloseWaitsForIt() {
        const QString program = installCopy(m_dir.filePath(S("closing")));
        quillo::SingleInstance closing;
        QVERIFY(closing.tryAcquire());
        QProcess next;
        prepare(next);
        next.start(program);
        QVERIFY(next.waitForStarted());
        QTest::qWait(1500);
        QCOMPARE(next.state(), QProcess::Running);  // waiting, not refused
        closing.release();
        const QString catalogue = m_dir.filePath(S("closing/book.db"));
        QTRY_VERIFY_WITH_TIMEOUT(quillo::CatalogueLock::isWrittenByAnother(catalogue), 20000);
        next.terminate();
        QVERIFY(next.waitForFinished(20000));
    }

    void aCatalogueTheToolWorksOnIsNotOpened() {
        const QString program = installCopy(m_dir.filePath(S("busy")));
        const QString catalogue = m_dir.filePath(S("busy/book.db"));
        quillo::CreateCatalogue(catalogue);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(S("XDG_RUNTIME_DIR"), m_runtime.path());
        const quillo::test::ToolHoldingCatalogue tool(S(QUILLO_CSV), catalogue,
                                                      m_dir.filePath(S("busy/pipe")), env);
        QProcess window;
        prepare(window);
        window.start(program);
        QVERIFY(window.waitForFinished(20000));
        QCOMPARE(window.exitCode(), 1);
        QVERIFY(
            QString::fromUtf8(window.readAllStandardError()).contains(S("quillo-csv が使用中")));
    }

    // A family's catalogue in a shared folder: a second window over it is
    // refused whoever starts it (another runtime folder, another user) and so
    // is quillo-csv from cron, without a runtime folder.
    void aSharedCatalogueHasOneWriterWhateverTheUser() {
        const QString folder = m_dir.filePath(S("shared"));
        const QString program = installCopy(folder);
        const QString catalogue = folder + S("/book.db");
        quillo::CreateCatalogue(catalogue);
        quillo::test::rawExec(catalogue,
                              S("insert into quillo (ID, Title) values (5, '月夜の約束')"));
        for (const QString& path : {m_dir.path(), folder})
            QFile::setPermissions(path, QFileDevice::Permissions(0x7777));
        QFile::setPermissions(catalogue, QFileDevice::Permissions(0x6666));
        QProcess first;
        prepare(first);
        first.start(program);
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(quillo::CatalogueLock::isWrittenByAnother(catalogue), 20000);

        auto refused = [&](QProcess& second, const QStringList& args = {}) {
            second.start(second.program().isEmpty() ? program : second.program(), args);
            QVERIFY(second.waitForFinished(20000));
            QCOMPARE(second.exitCode(), 1);
            const QString err = QString::fromUtf8(second.readAllStandardError());
            QVERIFY2(err.contains(S("起動中")), qPrintable(err));
        };
        QTemporaryDir otherRuntime;
        QProcess secondFolder;
        prepare(secondFolder);
        QProcessEnvironment env = secondFolder.processEnvironment();
        env.insert(S("XDG_RUNTIME_DIR"), otherRuntime.path());
        secondFolder.setProcessEnvironment(env);
        refused(secondFolder);

        QProcess cron;
        env = QProcessEnvironment::systemEnvironment();
        env.remove(S("XDG_RUNTIME_DIR"));
        cron.setProcessEnvironment(env);
        cron.setProgram(S(QUILLO_CSV));
        quillo::test::writeFile(folder + S("/one.csv"), quillo::test::sjis(S("新しい本\r\n")));
        refused(cron, {S("import"), folder + S("/one.csv"), S("--db"), catalogue});

        if (::geteuid() != 0) {
            qInfo("not root: the second user's window is not tried");
        } else {
            QTemporaryDir home;
            QFile::setPermissions(home.path(), QFileDevice::Permissions(0x7777));
            QProcess otherUser;
            prepare(otherUser);
            env = otherUser.processEnvironment();
            env.insert(S("HOME"), home.path());
            env.insert(S("XDG_RUNTIME_DIR"), home.path());
            env.insert(S("XDG_CONFIG_HOME"), home.path());
            env.insert(S("XDG_DATA_HOME"), home.path());
            otherUser.setProcessEnvironment(env);
            otherUser.setProgram(S("setpriv"));
            refused(otherUser,
                    {S("--reuid=65534"), S("--regid=65534"), S("--clear-groups"), program});
        }
        QCOMPARE(
            quillo::test::rawScalar(catalogue, S("select group_concat(ID || Title) from quillo")),
            S("5月夜の約束"));

        QCOMPARE(first.state(), QProcess::Running);
        first.terminate();
        QVERIFY(first.waitForFinished(20000));
    }

    // A lock that cannot be made protects nothing: on a full disk the program
    // says why and does not open.
    void aLockThatCannotBeMadeEndsWithItsReason() {
        const QString program = installCopy(m_dir.filePath(S("nolock")));
        quillo::CreateCatalogue(m_dir.filePath(S("nolock/book.db")));
        QTemporaryDir runtime;  // no lock left from the tests before
        QProcess window;
        prepare(window);
        QProcessEnvironment env = window.processEnvironment();
        env.insert(S("XDG_RUNTIME_DIR"), runtime.path());
        window.setProcessEnvironment(env);
        {
            quillo::test::FullDisk full(0);
            window.start(program);
            QVERIFY(window.waitForStarted());
        }
        QVERIFY(window.waitForFinished(20000));
        QCOMPARE(window.exitCode(), 1);
        const QString err = QString::fromUtf8(window.readAllStandardError());
        QVERIFY2(err.contains(S("ロックファイル")) && !err.contains(S("既に起動")),
                 qPrintable(err));
    }

    // An installed program (a system folder, here under a scratch root) keeps
    // the catalogue and the settings in the user's folders even when its own
    // folder can be written, and so do the tools; a catalogue an older version
    // left beside it is carried over, not lost.
    void anInstalledProgramKeepsItsFilesInTheUsersFolders() {
        const QString bin = m_dir.filePath(S("root/usr/bin"));
        const QString program = installCopy(bin);
        QFile::copy(S(QUILLO_CSV), bin + S("/quillo-csv"));
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(S("QT_QPA_PLATFORM"), S("offscreen"));
        env.insert(S("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(S("XDG_DATA_HOME"), home.filePath(S("data")));
        env.insert(S("XDG_CONFIG_HOME"), home.filePath(S("config")));
        // An older version's catalogue beside the program, with one book.
        quillo::test::writeFile(home.filePath(S("one.csv")),
                                quillo::test::sjis(quillo::test::csvLine({S("置き去りの本")})));
        QProcess import;
        import.setProcessEnvironment(env);
        import.start(S(QUILLO_CSV),
                     {S("import"), home.filePath(S("one.csv")), S("--db"), bin + S("/book.db")});
        QVERIFY(import.waitForFinished(20000));
        QCOMPARE(import.exitCode(), 0);

        QProcess window;
        window.setProcessEnvironment(env);
        window.start(program);
        const QString catalogue = home.filePath(S("data/Quillo/book.db"));
        QTRY_VERIFY_WITH_TIMEOUT(quillo::CatalogueLock::isWrittenByAnother(catalogue), 20000);
        window.terminate();
        QVERIFY(window.waitForFinished(20000));
        QVERIFY(QFile::exists(bin + S("/book.db")));  // the old one stays
        QCOMPARE(QDir(bin).entryList(QDir::Files | QDir::Hidden).size(), 3);

        // The installed tool finds the same catalogue, with the carried book.
        QProcess exporting;
        exporting.setProcessEnvironment(env);
        exporting.start(bin + S("/quillo-csv"), {S("export"), home.filePath(S("out.csv"))});
        QVERIFY(exporting.waitForFinished(20000));
        QCOMPARE(exporting.exitCode(), 0);
        QVERIFY(quillo::test::readFile(home.filePath(S("out.csv")))
                    .contains(quillo::test::sjis(S("置き去りの本"))));
        QVERIFY(!QFile::exists(bin + S("/quillo.Ini")));
    }

    // --help and --version are answered without a display.
    void helpAndVersionNeedNoDisplay() {
        for (const QString& tool : {S(QUILLO_BIN), S(QUILLO_CSV), S(QUILLO_REPORT)}) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(S("DISPLAY"));
            env.remove(S("WAYLAND_DISPLAY"));
            env.remove(S("QT_QPA_PLATFORM"));
            QProcess run;
            run.setProcessEnvironment(env);
            run.start(tool, {S("--version")});
            QVERIFY(run.waitForFinished(20000));
            QCOMPARE(run.exitCode(), 0);
            QCOMPARE(QString::fromUtf8(run.readAllStandardOutput()).trimmed(),
                     S("Quillo " QUILLO_VERSION));
            run.start(tool, {S("--help")});
            QVERIFY(run.waitForFinished(20000));
            QCOMPARE(run.exitCode(), 0);
            const QString help = QString::fromUtf8(run.readAllStandardOutput());
            QVERIFY2(help.contains(S("--version")) && help.contains(S("~/.local/share/Quillo")),
                     qPrintable(help));
        }
    }

    void anUnopenableCatalogueEndsWithAMessage() {
        const QString folder = m_dir.filePath(S("broken"));
        const QString program = installCopy(folder);
        quillo::test::writeFile(folder + S("/book.db"), QByteArray(4096, 'x'));
        QProcess run;
        prepare(run);
        run.start(program);
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        const QString err = QString::fromUtf8(run.readAllStandardError());
        QVERIFY2(err.contains(S("not a database")) && err.contains(folder + S("/book.db")),
                 qPrintable(err));
        QVERIFY(!QFile::exists(folder + S("/quillo.Ini")));  // no main window ever closed
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
