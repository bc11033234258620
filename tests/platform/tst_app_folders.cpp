// Where the program keeps its files: beside a copy run from its own folder, in
// the user's folders for an installed one, whatever that folder allows.
#include <QTemporaryDir>
#include <QtTest>

#include "files.h"
#include "platform/app_folders.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestAppFolders : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QCoreApplication::setApplicationName(S("Quillo")); }

    void systemFoldersAreInstalledOnes_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("installed");
        QTest::newRow("/usr/bin") << S("/usr/bin") << true;
        QTest::newRow("/usr/local/bin") << S("/usr/local/bin") << true;
        QTest::newRow("/bin") << S("/bin") << true;
        QTest::newRow("/opt") << S("/opt/quillo/bin") << true;
        QTest::newRow("scratch root") << S("/tmp/x/root/usr/bin") << true;
        QTest::newRow("home") << S("/home/hana/quillo") << false;
        QTest::newRow("stick") << S("/media/hana/STICK/Quillo") << false;
        QTest::newRow("a user's") << S("/home/hana/usrdata/bin") << false;
    }
    void systemFoldersAreInstalledOnes() {
        QFETCH(QString, folder);
        QFETCH(bool, installed);
        QCOMPARE(isInstalledProgramFolder(folder), installed);
    }

    // A build tree is no installed program, even under a system-like path.
    void aBuildTreeKeepsItsFilesBesideItself() {
        QTemporaryDir dir;
        const QString app = dir.filePath(S("opt/src/quillo/build/src/app"));
        QDir().mkpath(app);
        test::writeFile(dir.filePath(S("opt/src/quillo/build/CMakeCache.txt")), "# cache");
        QVERIFY(!isInstalledProgramFolder(app));
        QCOMPARE(dataFolderFor(app, QStandardPaths::AppConfigLocation), app);
    }

    // The settings an older version left beside an installed program are
    // copied to the user's folder once; a portable copy keeps its own.
    void settingsBesideAnInstalledProgramAreCarriedOver() {
        QTemporaryDir dir;
        const QString bin = dir.filePath(S("usr/bin"));
        const QString portable = dir.filePath(S("stick/Quillo"));
        QDir().mkpath(bin);
        QDir().mkpath(portable);
        test::writeFile(bin + S("/quillo.Ini"), "[Window]\r\nLeft=7\r\n");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.filePath(S("config")).toLocal8Bit());
        const QString users =
            dataFolderFor(bin, QStandardPaths::AppConfigLocation, S("quillo.Ini"));
        const QString own =
            dataFolderFor(portable, QStandardPaths::AppConfigLocation, S("quillo.Ini"));
        qputenv("XDG_CONFIG_HOME", config);
        QCOMPARE(users, dir.filePath(S("config/Quillo")));
        QCOMPARE(test::readFile(users + S("/quillo.Ini")), QByteArray("[Window]\r\nLeft=7\r\n"));
        QVERIFY(QFile::exists(bin + S("/quillo.Ini")));
        QCOMPARE(own, portable);

        // Once there, the user's file is the one: a later copy does not overwrite it.
        test::writeFile(users + S("/quillo.Ini"), "[Window]\r\nLeft=9\r\n");
        qputenv("XDG_CONFIG_HOME", dir.filePath(S("config")).toLocal8Bit());
        dataFolderFor(bin, QStandardPaths::AppConfigLocation, S("quillo.Ini"));
        qputenv("XDG_CONFIG_HOME", config);
        QCOMPARE(test::readFile(users + S("/quillo.Ini")), QByteArray("[Window]\r\nLeft=9\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestAppFolders)
#include "tst_app_folders.moc"
