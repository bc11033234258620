// The command-line companion, run as the real binary.
#include <sqlite3.h>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>
#include "engine/connection.h"
#include "store/book_table.h"

#include "damaged_files.h"
#include "files.h"
#include "full_disk.h"
#include "odd_output_targets.h"
#include "platform/catalogue_lock.h"
#include "platform/single_instance.h"
#include "test_db.h"
#include "tool_holder.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

using test::rawExec;

class TestQuilloCsvTool : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempBookDb> m_db;
    QTemporaryDir m_runtime;

    struct Run {
        int status;
        QString err;
        QString out;
        QByteArray outBytes;
    };
    Run run(const QStringList& args, bool withRuntimeFolder = true) {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (withRuntimeFolder)
            env.insert(S("XDG_RUNTIME_DIR"), m_runtime.path());
        else
            env.remove(S("XDG_RUNTIME_DIR"));
        tool.setProcessEnvironment(env);
        tool.start(S(QUILLO_CSV),
                   args.contains(S("--db")) ? args : args + QStringList{S("--db"), m_db->path()});
        tool.waitForFinished(60000);
        const QByteArray out = tool.readAllStandardOutput();
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                QString::fromUtf8(tool.readAllStandardError()), QString::fromUtf8(out), out};
    }
    QString file(const char* name) const { return m_db->folder() + QLatin1Char('/') + S(name); }
    QProcessEnvironment toolEnvironment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(S("XDG_RUNTIME_DIR"), m_runtime.path());
        return env;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_runtime.isValid());
        QFile::setPermissions(m_runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME"))  // automatic backups go there
            qputenv("XDG_DATA_HOME", (m_runtime.path() + S("/data")).toLocal8Bit());
    }
    void init() {
        m_db = std::make_unique<test::TempBookDb>();
        test::exec(
            S("insert into quillo (ID, Title, Writer, PubDate) values"
              " (3, '雪国', '川端康成', '1937-06-12'), (9, '伊豆の踊子', '川端康成', NULL)"));
    }

    // What is not a plain file is written into, never replaced: standard
    // output piped on, a character device, a FIFO another program reads; a
    // symbolic link is written through and stays a link.
    void anExportGoesIntoWhatItIsGiven_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"standard output", "character device", "fifo", "link"})
            QTest::addRow("%s", kind) << S(kind);
    }
    void anExportGoesIntoWhatItIsGiven() {
        QFETCH(QString, kind);
        const QByteArray expected = test::sjis(S("\"雪国\",\"川端康成\""));
        QString target = S("/dev/stdout");
        std::unique_ptr<test::FifoReader> reader;
        if (kind == S("character device")) {
            target = test::nullDevice(m_db->folder());
        } else if (kind == S("fifo")) {
            target = file("pipe");
            reader = std::make_unique<test::FifoReader>(target, file("read.csv"));
        } else if (kind == S("link")) {
            QDir().mkpath(file("lists"));
            test::writeFile(file("lists/real.csv"), "old");
            target = file("link.csv");
            QVERIFY(QFile::link(file("lists/real.csv"), target));
        }
        const Run r = run({S("export"), target});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        if (kind == S("standard output"))
            QVERIFY(r.outBytes.contains(expected));
        if (kind == S("character device"))
            QVERIFY(test::isCharacterDevice(target));
        if (kind == S("fifo")) {
            QVERIFY(reader->finished());
            QVERIFY(test::isFifo(target));
            QVERIFY(test::readFile(file("read.csv")).contains(expected));
        }
        if (kind == S("link")) {
            QVERIFY(QFileInfo(target).isSymLink());
            QVERIFY(test::readFile(file("lists/real.csv")).contains(expected));
        }
        QCOMPARE(QDir(m_db->folder()).entryList({S("*.part")}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    void exportWritesTheTableInIdOrder() {
        QCOMPARE(run({S("export"), file("out.csv"), S("--separator"), S("tab"), S("--date-format"),
                      S("2"), S("--no-quote")})
                     .status,
                 0);
        QCOMPARE(test::readFile(file("out.csv")),
                 test::sjis(S("雪国\t川端康成\t\t19370612\t\t\t\t\t\t\t\t\r\n"
                              "伊豆の踊子\t川端康成\t\t\t\t\t\t\t\t\t\t\r\n")));
    }

    void importAddsEveryLineAndApplies() {
        test::writeFile(file("in.csv"),
                        test::sjis(test::csvLine({S("\"千羽鶴\""), S("\"川端康成\"")}) +
                                   test::csvLine({S("\"山の音\"")})));
        // It says how many books it added, and nothing else, even without a
        // runtime folder (Qt's notice about it is left out).
        const Run r = run({S("import"), file("in.csv")}, false);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, S("2 冊を追加しました。\n"));
        QCOMPARE(r.err, QString());
        // New books take the IDs after the largest; nothing else is renumbered.
        QCOMPARE(test::rows(S("select ID, Title from quillo order by ID")),
                 (QStringList{S("3|雪国"), S("9|伊豆の踊子"), S("10|千羽鶴"), S("11|山の音")}));
    }

    // Readings go out as three more columns, read where they are not kept (an
    // export writes nothing); an import takes the readings a line gives (a
    // writer's for the name, so a later book by the writer reads so too) and
    // reads the rest, all in its transaction.
    void readingsTravelAsThreeMoreColumns() {
        QCOMPARE(
            run({S("export"), file("out.csv"), S("--readings"), S("--header"), S("yes")}).status,
            0);
        QCOMPARE(test::readFile(file("out.csv")),
                 test::sjis(S("\"書名\",\"著者名\",\"出版社\",\"初版発行日\",\"購入日\","
                              "\"副題\",\"分類\",\"翻訳者\",\"著者名２\",\"著者名３\","
                              "\"著者名４\",\"著者名５\",\"書名ヨミ\",\"著者名ヨミ\","
                              "\"出版社ヨミ\"\r\n"
                              "\"雪国\",\"川端康成\",\"\",1937/06/12,,\"\",\"\",\"\",\"\","
                              "\"\",\"\",\"\",\"ユキグニ\",\"カワバタ ヤスナリ\",\"\"\r\n"
                              "\"伊豆の踊子\",\"川端康成\",\"\",,,\"\",\"\",\"\",\"\",\"\","
                              "\"\",\"\",\"イズノオドリコ\",\"カワバタ ヤスナリ\",\"\"\r\n")));
        QCOMPARE(test::rows(S("select count(*) from sqlite_master where name like "
                              "'quillo_reading%'")),
                 QStringList{S("0")});  // nothing was written

        test::writeFile(
            file("in.csv"),
            test::sjis(S("白夜行,東野 圭吾,集英社,,,,,,,,,,ビャクヤコウ,ヒガシノ ケイゴ,\r\n"
                         "容疑者Xの献身,東野 圭吾\r\n"
                         "こころ,夏目 漱石,,,,,,,,,,,,,\r\n")));
        QCOMPARE(run({S("import"), file("in.csv")}).status, 0);
        QCOMPARE(
            test::rows(S("select q.ID, r.Title, r.Writer from quillo q join quillo_reading r"
                         " on r.ID = q.ID order by q.ID")),
            (QStringList{S("3|ユキグニ|カワバタ ヤスナリ"), S("9|イズノオドリコ|カワバタ ヤスナリ"),
                         S("10|ビャクヤコウ|ヒガシノ ケイゴ"),
                         S("11|ヨウギシャXノケンシン|ヒガシノ ケイゴ"),
                         S("12|ココロ|ナツメ ソウセキ")}));
        QCOMPARE(test::rows(S("select count(*) from quillo_search")), QStringList{S("5")});

        // More books than are read one by one: every one read in one pass, and
        // the reading a line gives still its book's.
        QByteArray many;
        for (int i = 0; i < 250; ++i)
            many += test::sjis(S("本 その%1,夏目 漱石\r\n").arg(i));
        many += test::sjis(S("吾輩は猫である,夏目 漱石,,,,,,,,,,,ワガハイハネコデアル,,\r\n"));
        test::writeFile(file("many.csv"), many);
        QCOMPARE(run({S("import"), file("many.csv")}).status, 0);
        QCOMPARE(test::rows(S("select count(*), count(r.ID), count(s.ID) from quillo q left join"
                              " quillo_reading r on r.ID = q.ID left join quillo_search s on"
                              " s.ID = q.ID")),
                 QStringList{S("256|256|256")});
        QCOMPARE(test::rows(S("select r.Title from quillo q join quillo_reading r on r.ID = q.ID"
                              " where q.Title = '吾輩は猫である'")),
                 QStringList{S("ワガハイハネコデアル")});
    }

    // A reading column holds kana, or the text's own Latin letters and digits:
    // named so by a heading, anything else is refused by the line and the
    // column, and nothing is stored; after the twelve columns of a file
    // without one, it is another program's column, not read, and named. A
    // reading a line gives is its book's own: the books stored before keep
    // theirs, and nothing is learned for the name.
    void readingColumnsHoldReadings_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("said");           // the refusal, or the note
        QTest::addColumn<QString>("writerReading");  // of the new book, when stored
        const QString heading = S("書名,著者名,出版社,著者名ヨミ\r\n");
        QTest::addRow("memo as a title's reading")
            << S("白夜行,東野 圭吾,集英社,,,,,,,,,,文庫で再読,,")
            << S("13 列目からの項目が読み（カナ）でない行は、その項目を読みませんでした: 1 行（1 "
                 "行目の 書名ヨミ「文庫で再読」 など）")
            << S("ヒガシノ ケイゴ");
        QTest::addRow("ISBN as a writer's reading, of a writer stored")
            << S("山の音,川端康成,新潮社,,,,,,,,,,,ISBN 4-10-101001-4,")
            << S("著者名ヨミ「ISBN 4-10-101001-4」") << S("カワバタ ヤスナリ");
        QTest::addRow("a URL after the twelve")
            << S("山の音,川端康成,新潮社,,,,,,,,,,,,https://example.com/yama")
            << S("出版社ヨミ「https://example.com/yama」") << S("カワバタ ヤスナリ");
        QTest::addRow("ISBN under a heading")
            << heading + S("白夜行,東野 圭吾,集英社,9784087474398")
            << S("4 番目の項目（著者名ヨミ）が読みではありません") << QString();
        QTest::addRow("Latin letters not the writer's, under a heading")
            << heading + S("白夜行,東野 圭吾,集英社,Higashino") << S("が読みではありません")
            << QString();
        QTest::addRow("Quillo's own reading")
            << S("白夜行,東野 圭吾,集英社,,,,,,,,,,ビャクヤコウ,ヒガシノ ケイゴ,シュウエイシャ")
            << QString() << S("ヒガシノ ケイゴ");
        QTest::addRow("another reading of a writer stored")
            << S("山の音,川端康成,新潮社,,,,,,,,,,,カワバタ コウセイ,") << QString()
            << S("カワバタ コウセイ");
        QTest::addRow("a Latin writer's own letters")
            << heading + S("1Q84,J.K. Rowling,,J.K. Rowling") << QString() << S("J.K. Rowling");
        QTest::addRow("digits read a number")
            << S("2001,,,,,,,,,,,,2001,,") << QString() << QString();
    }
    void readingColumnsHoldReadings() {
        QFETCH(QString, line);
        QFETCH(QString, said);
        QFETCH(QString, writerReading);
        test::writeFile(file("empty.csv"), QByteArray());  // the readings made first
        QCOMPARE(run({S("import"), file("empty.csv")}).status, 0);
        const QString stored =
            S("select * from quillo q join quillo_reading r using (ID)"
              " order by ID");
        const QStringList before = test::rows(stored);
        test::writeFile(file("in.csv"), test::sjis(line + S("\r\n")));
        const Run r = run({S("import"), file("in.csv")});
        QCOMPARE(r.status, writerReading.isNull() && !said.isEmpty() ? 1 : 0);
        QVERIFY2((r.err + r.out).contains(said), qPrintable(r.err + r.out));
        QCOMPARE(test::rows(stored).mid(0, before.size()), before);
        QCOMPARE(test::rows(S("select count(*) from quillo_learned_reading")), QStringList{S("0")});
        if (r.status == 0 && !writerReading.isNull())
            QCOMPARE(test::rows(S("select r.Writer from quillo_reading r where ID = (select"
                                  " max(ID) from quillo)")),
                     QStringList{writerReading});
    }

    // What Quillo writes reads back as it was, and the file of a second export
    // is the first byte for byte: in Shift-JIS the wave dash and the other JIS
    // forms CP932 writes with its own codes, in UTF-8 any character.
    void aRoundTripIsExact_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QStringList>("options");
        QTest::addRow("Shift-JIS")
            << S("東京〜大阪 ‖ −10℃ ¢£¬ —") << S("川端康成") << QStringList{};
        QTest::addRow("UTF-8, a mixed shelf")
            << S("𠮷野家の味 / Über formal unentscheidbare Sätze 〜 한국어") << S("Kurt Gödel")
            << QStringList{S("--encoding"), S("utf-8")};
    }
    void aRoundTripIsExact() {
        QFETCH(QString, title);
        QFETCH(QString, writer);
        QFETCH(QStringList, options);
        test::exec(S("insert into quillo (ID, Title, Writer) values (20, '") + title + S("', '") +
                   writer + S("')"));
        QCOMPARE(run(QStringList{S("export"), file("first.csv")} + options).status, 0);
        const QString second = file("second.db");
        QCOMPARE(run({S("import"), file("first.csv"), S("--db"), second}).status, 0);
        QCOMPARE(
            run(QStringList{S("export"), file("again.csv"), S("--db"), second} + options).status,
            0);
        QCOMPARE(test::readFile(file("again.csv")), test::readFile(file("first.csv")));
        Connection::setAliasPath(S("book"), second);
        QCOMPARE(test::rows(S("select Title, Writer from quillo order by ID")).last(),
                 title + S("|") + writer);
    }

    // The export of each program collectors move from, as that program writes
    // it, comes in with the command the help gives for it, exactly as written
    // there: every field where it belongs, the program named in the summary.
    void otherProgramsExportsMoveInAsTheHelpSays_data() {
        QTest::addColumn<QString>("helpFile");  // as the help's command names it
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("books");
        QTest::addColumn<QString>("isbns");
        QTest::addRow("Goodreads")
            << S("goodreads_library_export.csv") << S("goodreads_library_export.csv")
            << S("Goodreads の書き出し")
            << QStringList{S("Norwegian Wood|Haruki Murakami|Jay Rubin|||Vintage|1987-01-01|"
                             "2014-12-01||literary, japan|読了日: 2015/03/02 / Quiet, sad, "
                             "beautiful."),
                           S("L'Étranger|Albert Camus|Matthew Ward|Jean-Paul Sartre||Gallimard|"
                             "1942-01-01|2016-07-14||classics|Achat à Paris"),
                           S("吾輩は猫である|夏目漱石||||新潮社|1905-01-01|2019-05-12||to-read|")}
            << S("9780375704024 9784101010014");
        QTest::addRow("LibraryThing")
            << S("librarything_export.tsv") << S("librarything_export.tsv")
            << S("LibraryThing の書き出し")
            << QStringList{S("吾輩は猫である|夏目 漱石||||新潮社|2003-01-01|2019-05-12||文学, 古典|"
                             "猫の目から見た明治"),
                           S("Norwegian Wood|Haruki Murakami|||Jay "
                             "Rubin|Vintage|2000-01-01|2015-03-02||japan|"
                             "\"Watanabe\" remembers, on the plane to Hamburg"),
                           S("L'Étranger|Albert Camus|Jean-Paul Sartre||Matthew "
                             "Ward|Gallimard|1942-01-01|"
                             "2016-07-14|||")}
            << S("9784101010014 9780375704024");
        QTest::addRow("ブクログ, no heading")
            << S("booklog_export.csv") << S("booklog_export.csv") << S("ブクログの書き出し")
            << QStringList{S("吾輩は猫である|夏目漱石||||新潮社|2003-01-01|2019-05-12||文学,古典|"
                             "何度読んでも面白い / 読書メモ: 再読した / 読了日: 2019-06-01"),
                           S("ONE PIECE 1|尾田栄一郎||||集英社|1997-12-01|2021-01-03||漫画|"),
                           S("はじめての料理|山田 花子||||||2022-11-20|||")}
            << S("9784101010014 9784088725093");
        QTest::addRow("ブクログ, its heading")
            << S("booklog_export.csv") << S("booklog_export_heading.csv") << S("ブクログの書き出し")
            << QStringList{S("吾輩は猫である|夏目漱石||||新潮社|2003-01-01|2019-05-12||文学,古典|"
                             "何度読んでも面白い / 読書メモ: 再読した / 読了日: 2019-06-01"),
                           S("ONE PIECE 1|尾田栄一郎||||集英社|1997-12-01|2021-01-03||漫画|"),
                           S("はじめての料理|山田 花子||||||2022-11-20|||")}
            << S("9784101010014 9784088725093");
        QTest::addRow("Tellico") << S("tellico_export.csv") << S("tellico_export.csv")
                                 << S("Tellico の書き出し")
                                 << QStringList{S("Die Straße der Ölsardinen|John "
                                                  "Steinbeck|||Rudolf Frank|dtv|1995-01-01|"
                                                  "2018-03-04|Roman|Fiction|Doc und die Jungs"),
                                                S("翻訳夜話|村上 春樹|柴田 "
                                                  "元幸|||文藝春秋|2000-01-01|2020-08-01|文春新書|"
                                                  "エッセイ|")}
                                 << S("9783423106252 9784166601295");
        QTest::addRow("calibre, a mixed shelf in UTC")
            << S("books.csv") << S("calibre_mixed.csv") << S("calibre の書き出し")
            << QStringList{S("Über formal unentscheidbare Sätze|Kurt Gödel||||Springer|"
                             "1931-01-01|2019-05-12||Logik|"),
                           S("𠮷野家の味|𠮷田 一郎|Åsa Larsson|||||2020-01-01|||")}
            << QString();
    }
    void otherProgramsExportsMoveInAsTheHelpSays() {
        QFETCH(QString, helpFile);
        QFETCH(QString, fixture);
        QFETCH(QString, program);
        QFETCH(QStringList, books);
        QFETCH(QString, isbns);
        QFile help(S(QUILLO_HELP_DIR "/csv.html"));
        QVERIFY(help.open(QIODevice::ReadOnly));
        const QString command = S("quillo-csv import ") + helpFile;
        QVERIFY2(QString::fromUtf8(help.readAll()).contains(S("<code>") + command + S("</code>")),
                 qPrintable(command));
        QTemporaryDir where;
        QVERIFY(QFile::copy(S(QUILLO_CSV_DATA "/") + fixture, where.filePath(helpFile)));
        test::exec(S("delete from quillo"));
        QProcess tool;
        QProcessEnvironment env = toolEnvironment();
        env.insert(S("TZ"), S("Asia/Tokyo"));  // calibre's times are UTC
        tool.setProcessEnvironment(env);
        tool.setWorkingDirectory(where.path());
        tool.start(S(QUILLO_CSV),
                   command.split(u' ').mid(1) + QStringList{S("--db"), m_db->path()});
        QVERIFY(tool.waitForFinished(60000));
        const QString out =
            QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
        QCOMPARE(tool.exitCode(), 0);
        QVERIFY2(out.contains(program), qPrintable(out));
        QStringList columns;
        for (const char* column : {"Title", "Writer", "Writer2", "Writer3", "Translator",
                                   "Publisher", "PubDate", "BuyDate", "SubTitle", "Kind"})
            columns << S("ifnull(%1, '')").arg(S(column));
        QCOMPARE(
            test::rows(S("select ") + columns.join(S(", ")) +
                       S(", ifnull(replace(Memo, char(10), ' / '), '') from quillo order by ID")),
            books);
        QCOMPARE(test::rows(S("select count(*) from sqlite_master where name = 'quillo_isbn'"))
                             .first() == S("1")
                     ? test::rows(S("select group_concat(Isbn, ' ') from (select Isbn from"
                                    " quillo_isbn order by ID)"))
                           .first()
                     : QString(),
                 isbns);
    }

    // Books the catalogue has already are counted, not refused.
    void anImportSaysHowManyBooksItHasTwice() {
        test::writeFile(
            file("in.csv"),
            test::sjis(S("雪 国,川端康成\r\n山の音,川端康成\r\nｲｽﾞﾉｵﾄﾞﾘｺ,川端康成\r\n")));
        const Run imported = run({S("import"), file("in.csv")});
        QCOMPARE(imported.status, 0);
        QCOMPARE(imported.out.trimmed(),
                 S("3 冊を追加しました。うち 1 冊は同じ書名・著者名の本がすでにあります。"));
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 5);
    }

    // An import is backed up first (the catalogue as it was), a restore too
    // (so it can be undone), and `backups` lists them newest first.
    void importAndRestoreAreBackedUpFirst() {
        const QString folder = qEnvironmentVariable("XDG_DATA_HOME") + S("/Quillo/backups");
        QDir(folder).removeRecursively();
        QCOMPARE(run({S("backups")}).out.trimmed(),
                 S("%1 のバックアップはありません（%2）").arg(m_db->path(), folder));
        test::writeFile(file("in.csv"), test::sjis(S("山の音,川端康成\r\n")));
        QCOMPARE(run({S("import"), file("in.csv")}).status, 0);
        const QStringList afterImport = QDir(folder).entryList(QDir::Files);
        QCOMPARE(afterImport.size(), 1);
        const QString before = folder + u'/' + afterImport.front();
        QTest::qWait(1100);  // the next backup gets a second of its own
        QCOMPARE(run({S("restore"), before}).status, 0);
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 2);
        const Run listed = run({S("backups")});
        QCOMPARE(listed.status, 0);
        const QStringList lines = listed.out.trimmed().split(u'\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains(S("\t3 冊\t")), qPrintable(lines[0]));  // before the restore
        QVERIFY2(lines[1].contains(S("\t2 冊\t")) && lines[1].endsWith(before),
                 qPrintable(lines[1]));
    }

    void unquotedExportsWarnOfTextsThatMayNotReadBack() {
        test::exec(S("insert into quillo (ID, Title) values (20, 'a,b'), (21, 'c d')"));
        const Run r = run({S("export"), file("out.csv"), S("--no-quote")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.err.contains(S("2 件の本に空白・区切り文字・引用符を含む項目があります")),
                 qPrintable(r.err));
        QVERIFY(run({S("export"), file("out.csv")}).err.isEmpty());  // quoted: all is safe
        // A line break would start another book: such an export is refused by
        // the book, and the file written before stays.
        const QByteArray before = test::readFile(file("out.csv"));
        test::exec(
            S("insert into quillo (ID, Title, SubTitle) values (22, '二行', 'x'), "
              "(23, 'e', 'f' || char(10) || 'g')"));
        const Run broken = run({S("export"), file("out.csv"), S("--no-quote")});
        QCOMPARE(broken.status, 1);
        QVERIFY2(broken.err.contains(S("改行を含む項目は２重引用符で囲まないと読み戻せないため")) &&
                     broken.err.contains(S("ID 23「e」")),
                 qPrintable(broken.err));
        QCOMPARE(test::readFile(file("out.csv")), before);
    }

    void encodingAndSplitRuleCanBeForced() {
        test::writeFile(file("in.csv"),
                        test::csvLine({S("東 京 物語"), S("小津")}).toUtf8());  // UTF-8, no mark
        QCOMPARE(run({S("import"), file("in.csv"), S("--split"), S("legacy")}).status, 1);
        QCOMPARE(run({S("import"), file("in.csv"), S("--encoding"), S("utf-8"), S("--split"),
                      S("rfc4180")})
                     .status,
                 0);
        QCOMPARE(test::rows(S("select Title from quillo where ID = 10")),
                 QStringList{S("東 京 物語")});
        QCOMPARE(run({S("import"), file("in.csv"), S("--encoding"), S("latin1")}).status, 1);
        QCOMPARE(run({S("export"), file("out.csv"), S("--encoding"), S("utf-8")}).status, 0);
        QVERIFY(test::readFile(file("out.csv")).startsWith("\xEF\xBB\xBF\"雪国\""));
    }

    // Without --separator, the file's own separator is found and said.
    void theSeparatorIsFoundInTheFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("books");
        QTest::addColumn<QString>("said");
        QTest::addRow("tab") << test::sjis(S("吾輩は猫である\t夏目 漱石\t新潮社\r\n"
                                             "坊っちゃん\t夏目 漱石\t新潮社\r\n"))
                             << QStringList{S("吾輩は猫である|夏目 漱石"),
                                            S("坊っちゃん|夏目 漱石")}
                             << S("区切り文字はタブと判断しました。\n");
        QTest::addRow("semicolon, commas in quotes")
            << test::sjis(S("\"猫, 犬\";\"山田\"\r\n\"海\";\"鈴木\"\r\n"))
            << QStringList{S("猫, 犬|山田"), S("海|鈴木")}
            << S("区切り文字はセミコロンと判断しました。\n");
        QStringEncoder utf16(QStringConverter::Utf16LE);
        QTest::addRow("UTF-16 as a spreadsheet saves it")
            << QByteArray("\xFF\xFE") +
                   QByteArray(utf16.encode(S("\"題\"\t\"著者\"\r\n\"本\"\t\"人\"\r\n")))
            << QStringList{S("題|著者"), S("本|人")} << S("区切り文字はタブと判断しました。\n");
        QTest::addRow("comma, a tab inside quotes")
            << test::sjis(S("\"a\tb\",x\r\n\"c\",y\r\n")) << QStringList{S("a\tb|x"), S("c|y")}
            << QString();
    }
    void theSeparatorIsFoundInTheFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, books);
        QFETCH(QString, said);
        const QString last = test::rows(S("select max(ID) from quillo")).value(0);
        test::writeFile(file("in.csv"), bytes);
        const Run r = run({S("import"), file("in.csv")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, S("2 冊を追加しました。\n") + said);
        QCOMPARE(test::rows(S("select Title || '|' || Writer from quillo where ID > ") + last +
                            S(" order by ID")),
                 books);
    }

    // Texts a spreadsheet would take for formulas are exported after an
    // apostrophe: Calc opens every one as text, and an import gives back
    // exactly what was stored.
    void aGuardedExportStaysTextInCalcAndComesBackExact() {
        const QStringList titles = {S("=1+1"),
                                    S("=HYPERLINK(\"http://x\",\"y\")"),
                                    S("=cmd|' /C calc'!A0"),
                                    S("+1"),
                                    S("-1"),
                                    S("@SUM(A1)"),
                                    S("'=x"),
                                    S("'本"),
                                    S("普通の本")};
        test::TempBookDb source;
        for (const QString& title : titles)
            test::exec(S("insert into quillo (Title) values ('") +
                       QString(title).replace(S("'"), S("''")) + S("')"));
        const Run out = run(
            {S("export"), file("out.csv"), S("--encoding"), S("utf-8"), S("--db"), source.path()});
        QCOMPARE(out.status, 0);
        QCOMPARE(out.out,
                 S("7 個の項目は、表計算ソフトで数式にならないよう先頭に ' を付けました。\n"));
        test::TempBookDb back;
        QCOMPARE(run({S("import"), file("out.csv"), S("--db"), back.path()}).status, 0);
        QCOMPARE(test::rows(S("select Title from quillo order by ID")), titles);
        Connection::setAliasPath(S("book"), m_db->path());

        const QString calc = QStandardPaths::findExecutable(S("soffice"));
        if (calc.isEmpty())
            QSKIP("LibreOffice Calc (libreoffice-calc-nogui) is not installed");
        QTemporaryDir profile;
        QProcess office;
        office.start(
            calc, {S("-env:UserInstallation=file://") + profile.path(), S("--headless"),
                   S("--infilter=CSV:44,34,76,1,,1041,false,true,false,false,false,-1,true"),
                   S("--convert-to"), S("fods"), S("--outdir"), m_db->folder(), file("out.csv")});
        QVERIFY(office.waitForFinished(180000));
        const QString sheet = QString::fromUtf8(test::readFile(file("out.fods")));
        QVERIFY2(sheet.contains(S("普通の本")), "Calc wrote no sheet");
        QVERIFY2(!sheet.contains(S("table:formula=")), qPrintable(sheet.right(2000)));
    }

    // A file that cannot be read as asked says what would read it.
    void aRefusalSaysWhatWouldReadTheFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("hint");
        QTest::addRow("semicolons read with commas")
            << test::sjis(S("\"猫; 犬\";\"山田, 太郎\"\r\n"))
            << QStringList{S("--separator"), S("comma")}
            << S("（区切り文字をセミコロンにすれば読めます: --separator semicolon）");
        QTest::addRow("UTF-8 read as Shift-JIS")
            << S("本,棚\r\n").toUtf8() << QStringList{S("--encoding"), S("sjis")}
            << S("（文字コードを UTF-8 にすれば読めます: --encoding utf-8）");
        QTest::addRow("a heading of unknown names")
            << test::sjis(S("名前,作家名,出版,発行日\r\n猫,夏目,新潮社,1905/10/06\r\n"))
            << QStringList{}
            << S("（1 行目が見出しなら、見出しありにすれば読み飛ばします: --header yes）");
        // A tab file with a field that starts with a quote: commas would cut
        // that line, but not the file, and no advice is given that would not
        // read it.
        QTest::addRow("no advice that does not read the file")
            << test::sjis(
                   S("吾輩は猫である\t夏目漱石\t新潮社\r\nノルウェイの森\t村上春樹\t講談社\t\t\t"
                     "\"ワタナベ\" の回想, 飛行機で\r\n"))
            << QStringList{} << QString();
    }
    void aRefusalSaysWhatWouldReadTheFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, options);
        QFETCH(QString, hint);
        test::writeFile(file("in.csv"), bytes);
        const Run r = run(QStringList{S("import"), file("in.csv")} + options);
        QCOMPARE(r.status, 1);
        if (hint.isEmpty()) {
            QVERIFY2(!r.err.contains(S("にすれば")), qPrintable(r.err));
            return;
        }
        QVERIFY2(r.err.trimmed().endsWith(hint + S("。")) || r.err.contains(hint),
                 qPrintable(r.err));
        // Followed, the advice reads the file.
        const int at = hint.indexOf(S(": --"));
        QStringList followed = options;
        const QStringList advice = hint.mid(at + 2).chopped(1).split(u' ');
        if (const qsizetype given = followed.indexOf(advice[0]); given >= 0)
            followed.remove(given, 2);
        QCOMPARE(run(QStringList{S("import"), file("in.csv")} + followed + advice).status, 0);
    }

    void aFailingLineImportsNothing() {
        const QStringList before = test::rows(S("select * from quillo order by ID"));
        test::writeFile(file("in.csv"),
                        test::sjis(test::csvLine({S("良い行")}) +
                                   test::csvLine({S("悪い行"), S(""), S(""), S("2001/02/30")})));
        const Run r = run({S("import"), file("in.csv")});
        QCOMPARE(r.status, 1);
        // The line, and then why, in plain words.
        QVERIFY2(r.err.endsWith(S("の 2 行目でｴﾗｰとなりました。\n（データは登録されていません）\n"
                                  "初版発行日: '2001/02/30' は日付ではありません（yyyy/mm/dd "
                                  "または yyyy-mm-dd の形）。\n")),
                 qPrintable(r.err));
        QCOMPARE(test::rows(S("select * from quillo order by ID")), before);
    }

    // A heading written by --header yes is passed over when read back; a
    // spreadsheet's "Unicode text" is read as it is.
    void headingsAndUtf16() {
        const qint64 books = test::scalar(S("select count(*) from quillo"));
        QCOMPARE(run({S("export"), file("out.csv"), S("--header"), S("yes")}).status, 0);
        QVERIFY(test::readFile(file("out.csv")).startsWith(test::sjis(S("\"書名\",\"著者名\","))));
        const Run r = run({S("import"), file("out.csv")});
        QCOMPARE(r.status, 0);
        // Its own export read back: every book is there twice now, and it says so.
        QCOMPARE(r.out.trimmed(),
                 S("%1 冊を追加しました。うち %1 冊は同じ書名・著者名の本がすでにあります。")
                     .arg(books));
        QCOMPARE(
            run({S("import"), QFINDTESTDATA("data/calc-utf16be.txt"), S("--separator"), S("tab")})
                .status,
            0);
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 2 * books + 50);
        QCOMPARE(run({S("import"), file("out.csv"), S("--header"), S("maybe")}).status, 1);
    }

    void refusalsGiveStatusOne() {
        QCOMPARE(run({S("import"), file("missing.csv")}).status, 1);
        QCOMPARE(run({S("rename"), file("x.csv")}).status, 1);
        QCOMPARE(run({S("export"), file("x.csv"), S("--separator"), S("pipe")}).status, 1);
        QCOMPARE(run({S("export"), file("no/such/dir/x.csv")}).status, 1);
    }

    void aBusyDatabaseChangesNothing() {
        test::writeFile(file("in.csv"), test::sjis(S("新しい本\r\n")));
        Connection holder(S("book"));
        holder.execute(S("BEGIN EXCLUSIVE"));
        const Run r = run({S("import"), file("in.csv")});
        holder.rollback();
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("使用中")), qPrintable(r.err));
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 2);
    }

    void anExportThatCannotBeWrittenLeavesTheOldFile() {
        QString values;
        for (int i = 100; i < 400; ++i)
            values += QStringLiteral("%1(%2, '本の題名 %2', '著者 %2')")
                          .arg(values.isEmpty() ? QString() : S(","))
                          .arg(i);
        test::exec(S("insert into quillo (ID, Title, Writer) values ") + values);
        test::writeFile(file("out.csv"), "the previous export\r\n");
        Run r;
        {
            test::FullDisk full(4096);  // the export is some 20 KB
            r = run({S("export"), file("out.csv")});
        }
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("書き込めません")), qPrintable(r.err));
        QCOMPARE(test::readFile(file("out.csv")), QByteArray("the previous export\r\n"));
        QVERIFY(!QFileInfo::exists(file("out.csv.part")));
    }

    void aTableThatIsNotQuillosIsRefusedByName() {
        const QString narrow = m_db->folder() + S("/narrow.db");
        rawExec(narrow, S("CREATE TABLE quillo (ID INTEGER PRIMARY KEY, Title TEXT)"));
        test::writeFile(file("in.csv"), test::sjis(test::csvLine({S("本")})));
        for (const char* command : {"export", "import"}) {
            const Run r =
                run({S(command), file(command == QByteArray("export") ? "out.csv" : "in.csv"),
                     S("--db"), narrow});
            QCOMPARE(r.status, 1);
            QVERIFY2(
                r.err.contains(S("Quillo のカタログではありません")) && r.err.contains(S("Writer")),
                qPrintable(r.err));
        }

        QString columns;
        for (int i = 0; i < 60; ++i)
            columns += QStringLiteral(", extra%1 TEXT").arg(i);
        const QString wide = m_db->folder() + S("/wide.db");
        rawExec(wide, S("CREATE TABLE quillo (ID INTEGER PRIMARY KEY, Title TEXT, Writer TEXT,"
                        " Publisher TEXT, PubDate DATE, BuyDate DATE, SubTitle TEXT, Kind TEXT,"
                        " Translator TEXT, Memo TEXT, Writer2 TEXT, Writer3 TEXT, Writer4 TEXT,"
                        " Writer5 TEXT") +
                          columns + S(")"));
        rawExec(wide, S("INSERT INTO quillo (ID, Title) VALUES (1, 'x')"));
        const Run r = run({S("import"), file("in.csv"), S("--db"), wide});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("列が多すぎます")), qPrintable(r.err));
    }

    void aFileThatIsNoTextEndsWithAReason() {
        const QStringList before = test::rows(S("select * from quillo order by ID"));
        const Run zero = run({S("import"), S("/dev/zero")});  // endless, and no line ends
        QCOMPARE(zero.status, 1);
        QVERIFY2(zero.err.contains(S("1 行目が長すぎます")), qPrintable(zero.err));
        test::writeFile(file("long.csv"),
                        test::sjis(test::csvLine({S("短い")})) + QByteArray(3 << 20, 'x') + "\r\n");
        const Run longLine = run({S("import"), file("long.csv")});
        QCOMPARE(longLine.status, 1);
        QVERIFY2(longLine.err.contains(S("2 行目が長すぎます")), qPrintable(longLine.err));
        QCOMPARE(test::rows(S("select * from quillo order by ID")), before);
    }

    void backupAndRestoreKeepEveryColumnAndId() {
        test::exec(S("update quillo set Memo = 'メモも残る', Writer5 = '五' where ID = 9"));
        const QStringList before = test::rows(S("select * from quillo order by ID"));
        CatalogueLock shown(m_db->path());
        QVERIFY(shown.tryAcquire());  // a backup only reads: fine while the window runs
        QCOMPARE(run({S("backup"), file("copy.qbk")}).status, 0);
        const Run refused = run({S("restore"), file("copy.qbk")});
        QCOMPARE(refused.status, 1);  // a window could hold changes the restore would lose
        QVERIFY2(refused.err.contains(S("復元しません")), qPrintable(refused.err));
        shown.release();

        test::exec(S("delete from quillo where ID = 3"));
        test::exec(S("update quillo set Memo = NULL"));
        QCOMPARE(run({S("restore"), file("copy.qbk")}).status, 0);
        QCOMPARE(test::rows(S("select * from quillo order by ID")), before);
    }

    // Each failure says what happened to which file: a damaged backup is the
    // backup's fault, not the catalogue's; an interrupted write another user
    // cannot undo is no damage; a full disk under the catalogue names it and
    // says nothing was written; a long backup name is taken, a name too long
    // for the file system is said to be so.
    // What a file brings into a message is written out, so a value can neither
    // make lines of its own nor send the terminal an escape.
    void messagesShowTheControlsAValueHolds() {
        test::writeFile(file("in.csv"),
                        test::sjis(S("\"本\",\"著者\",\"出版社\",\"2001\n完了: 3 冊を追加しました。"
                                     "\x1b[2J\t\"\r\n")));
        const Run r = run({S("import"), file("in.csv")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("'2001\\n完了: 3 冊を追加しました。\\x1b[2J\\t'")),
                 qPrintable(r.err));
        QVERIFY2(!r.err.contains(QChar(0x1b)) && !r.err.contains(S("\n完了")), qPrintable(r.err));
    }

    void messagesTellWhatHappenedToWhichFile() {
        const QStringList before = test::rows(S("select * from quillo order by ID"));
        QCOMPARE(run({S("backup"), file("good.qbk")}).status, 0);
        QFile::copy(file("good.qbk"), file("damaged.qbk"));
        test::damagePage(file("damaged.qbk"), 2);
        Run r = run({S("restore"), file("damaged.qbk")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("バックアップ %1 は壊れている").arg(file("damaged.qbk"))) &&
                     !r.err.contains(S("カタログ %1 は壊れて").arg(m_db->path())),
                 qPrintable(r.err));

        const QString longName = file(QByteArray(245, 'n').constData()) + S(".qbk");
        QVERIFY2(run({S("backup"), longName}).status == 0, "a 245-character name");
        r = run({S("backup"), file(QByteArray(252, 'n').constData()) + S(".qbk")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("ファイル名が長すぎます")), qPrintable(r.err));
        QCOMPARE(test::rows(S("select * from quillo order by ID")), before);

        if (::geteuid() != 0)
            QSKIP("not root: another user's catalogue and a small disk are not tried");
        // A write killed half way leaves a hot journal; another user reads it.
        QDir().mkpath(file("shared"));
        const QString shared = file("shared/book.db");
        test::makeCatalogue(shared, 300);
        QProcess killed;
        killed.start(S("sqlite3"), {shared});
        killed.write(
            "PRAGMA cache_size = 1; BEGIN; UPDATE quillo SET Memo = hex(randomblob(900));\n");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(shared + S("-journal")) &&
                                     QFileInfo(shared + S("-journal")).size() > 4096,
                                 20000);
        killed.kill();
        killed.waitForFinished();
        for (const QString& path : {m_db->folder(), file("shared")})
            QFile::setPermissions(path, QFileDevice::Permissions(0x7755));
        QProcess other;
        other.start(S("setpriv"), {S("--reuid=65534"), S("--regid=65534"), S("--clear-groups"),
                                   S(QUILLO_CSV), S("export"), S("/dev/null"), S("--db"), shared});
        QVERIFY(other.waitForFinished(20000));
        const QString err = QString::fromUtf8(other.readAllStandardError());
        QCOMPARE(other.exitCode(), 1);
        QVERIFY2(err.contains(S("壊れていません")) && !err.contains(S("は壊れています")),
                 qPrintable(err));

        QDir().mkpath(file("small"));
        if (QProcess::execute(S("mount"), {S("-t"), S("tmpfs"), S("-o"), S("size=160k"), S("tmpfs"),
                                           file("small")}) != 0)
            QSKIP("no tmpfs can be mounted here");
        const QString small = file("small/book.db");
        CreateCatalogue(small);
        QString lines;
        for (int i = 0; i < 2000; ++i)
            lines += S("\"題名 %1 とても長い題名の本\",\"著者 %1\"\r\n").arg(i);
        test::writeFile(file("many.csv"), test::sjis(lines));
        r = run({S("import"), file("many.csv"), S("--db"), small});
        QProcess::execute(S("umount"), {file("small")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("ディスクがいっぱい")) && r.err.contains(small) &&
                     r.err.contains(S("何も書き込んでいません")),
                 qPrintable(r.err));
    }

    void aFileThatIsNoBackupRestoresNothing() {
        const QStringList before = test::rows(S("select * from quillo order by ID"));
        test::writeFile(file("junk.qbk"), "not a database at all\n");
        const Run r = run({S("restore"), file("junk.qbk")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("バックアップではありません")), qPrintable(r.err));
        QCOMPARE(run({S("restore"), file("missing.qbk")}).status, 1);
        QCOMPARE(test::rows(S("select * from quillo order by ID")), before);
    }

    void refusesOnlyForTheCatalogueTheProgramHasOpen() {
        // The program runs, on this catalogue.
        SingleInstance program;
        QVERIFY(program.tryAcquire());
        CatalogueLock shown(m_db->path());
        QVERIFY(shown.tryAcquire());
        const Run r = run({S("export"), file("out.csv")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("起動中")), qPrintable(r.err));
        // The same file named another way is the same catalogue.
        QDir::setCurrent(m_db->folder());
        QCOMPARE(run({S("export"), file("out.csv"), S("--db"), S("book.db")}).status, 1);
        // Another catalogue is free while the program runs.
        const QString other = m_db->folder() + S("/other.db");
        CreateCatalogue(other);
        QCOMPARE(run({S("export"), file("other.csv"), S("--db"), other}).status, 0);
        shown.release();
        QCOMPARE(run({S("export"), file("out.csv")}).status, 0);
    }

    void nothingIsEverWrittenOntoTheCatalogue() {
        test::exec(
            S("with recursive n(i) as (select 100 union all select i + 1 from n"
              " where i < 150) insert into quillo (ID, Title) select i, 'x' from n"));
        const QByteArray before = test::fileBytes(m_db->path());
        QVERIFY(::link(QFile::encodeName(m_db->path()).constData(),
                       QFile::encodeName(file("linked.db")).constData()) == 0);
        QDir().mkpath(file("sub"));
        for (const char* command : {"export", "backup"}) {
            for (const QString& target :
                 {m_db->path(), file("linked.db"), file("sub/../book.db")}) {
                const Run r = run({S(command), target});
                QCOMPARE(r.status, 1);
                QVERIFY2(r.err.contains(S("カタログそのもの")), qPrintable(r.err));
            }
        }
        QCOMPARE(test::fileBytes(m_db->path()), before);
    }

    void aMistypedCatalogueIsNeverMadeByCommandsThatRead() {
        test::writeFile(file("out.csv"), "the previous export\r\n");
        for (const char* command : {"export", "backup"}) {
            const Run r = run({S(command), file("out.csv"), S("--db"), file("typo.db")});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(file("typo.db")) && r.err.contains(S("がありません")),
                     qPrintable(r.err));
            QVERIFY(!QFileInfo::exists(file("typo.db")));
        }
        QCOMPARE(test::readFile(file("out.csv")), QByteArray("the previous export\r\n"));

        // Import and restore may start a new catalogue, and say so.
        test::writeFile(file("in.csv"), test::sjis(test::csvLine({S("新しい本")})));
        Run r = run({S("import"), file("in.csv"), S("--db"), file("new.db")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(S("新しいカタログ %1 を作りました").arg(file("new.db"))),
                 qPrintable(r.out));
        QCOMPARE(run({S("backup"), file("new.qbk"), S("--db"), file("new.db")}).status, 0);
        r = run({S("restore"), file("new.qbk"), S("--db"), file("restored.db")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(S("新しいカタログ")), qPrintable(r.out));
        // A new catalogue that its import could not fill is not left behind.
        test::writeFile(file("bad.csv"),
                        test::sjis(test::csvLine({S("本"), S(""), S(""), S("x")})));
        QCOMPARE(run({S("import"), file("bad.csv"), S("--db"), file("never.db")}).status, 1);
        QVERIFY(!QFileInfo::exists(file("never.db")));
    }

    void anotherProgramsFileIsNeverTouched_data() {
        QTest::addColumn<QByteArray>("schema");
        QTest::addRow("another program's database") << QByteArray("CREATE TABLE notes (body)");
        QTest::addRow("a zero-length file") << QByteArray();
        QTest::addRow("text IDs") << QByteArray(
            "CREATE TABLE quillo (ID TEXT PRIMARY KEY, Title, Writer, Publisher,"
            " PubDate, BuyDate, SubTitle, Kind, Translator, Memo, Writer2, Writer3,"
            " Writer4, Writer5); INSERT INTO quillo (ID, Title) VALUES"
            " ('ISBN-4-00-000001', 'a')");
    }
    void anotherProgramsFileIsNeverTouched() {
        QFETCH(QByteArray, schema);
        const QString foreign = file("foreign.db");
        test::writeFile(foreign, QByteArray());
        if (!schema.isEmpty())
            rawExec(foreign, QString::fromUtf8(schema));
        const QByteArray before = test::fileBytes(foreign);
        test::writeFile(file("in.csv"), test::sjis(test::csvLine({S("本")})));
        for (const char* command : {"export", "import", "backup"}) {
            const Run r =
                run({S(command), file(command == QByteArray("import") ? "in.csv" : "out.x"),
                     S("--db"), foreign});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(S("%1 は Quillo のカタログではありません").arg(foreign)),
                     qPrintable(r.err));
        }
        QCOMPARE(test::fileBytes(foreign), before);
        QVERIFY(!QFileInfo::exists(file("out.x")));
    }

    void aDamagedCatalogueIsNeitherWrittenNorBackedUpButCanBeRestored() {
        test::makeCatalogue(file("books.db"), 300);
        QCOMPARE(run({S("backup"), file("good.qbk"), S("--db"), file("books.db")}).status, 0);
        test::damagePage(file("books.db"), 3);
        const QByteArray damaged = test::fileBytes(file("books.db"));
        test::writeFile(file("in.csv"), test::sjis(test::csvLine({S("本")})));
        for (const char* command : {"import", "backup"}) {
            const Run r =
                run({S(command), file(command == QByteArray("import") ? "in.csv" : "b.qbk"),
                     S("--db"), file("books.db")});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(file("books.db")) && r.err.contains(S("壊れて")),
                     qPrintable(r.err));
        }
        QCOMPARE(test::fileBytes(file("books.db")), damaged);
        QVERIFY(!QFileInfo::exists(file("b.qbk")));
        // What a backup is for.
        QCOMPARE(run({S("restore"), file("good.qbk"), S("--db"), file("books.db")}).status, 0);
        QCOMPARE(run({S("import"), file("in.csv"), S("--db"), file("books.db")}).status, 0);
    }

    void aDamagedBackupRestoresNothing() {
        test::makeCatalogue(file("big.db"), 300);
        QCOMPARE(run({S("backup"), file("copy.qbk"), S("--db"), file("big.db")}).status, 0);
        test::damagePage(file("copy.qbk"), 4);
        const QByteArray before = test::fileBytes(m_db->path());
        const Run r = run({S("restore"), file("copy.qbk")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(file("copy.qbk")) && r.err.contains(S("壊れているため")),
                 qPrintable(r.err));
        QCOMPARE(test::fileBytes(m_db->path()), before);
    }

    void aRestoreThatCannotWriteNamesTheCatalogue() {
        test::makeCatalogue(file("big.db"), 2000);
        QCOMPARE(run({S("backup"), file("copy.qbk"), S("--db"), file("big.db")}).status, 0);
        const QStringList before = test::rows(S("select * from quillo order by ID"));
        Run r;
        {
            test::FullDisk full(16 * 1024);  // the backup is some 300 KB
            r = run({S("restore"), file("copy.qbk")});
        }
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("カタログ %1").arg(m_db->path())), qPrintable(r.err));
        QCOMPARE(test::rows(S("select * from quillo order by ID")), before);
    }

    void aLockIsKeyedOnTheFileAndSaysWhoHoldsIt() {
        // A window that shows the catalogue under another name still holds it.
        QVERIFY(::link(QFile::encodeName(m_db->path()).constData(),
                       QFile::encodeName(file("linked.db")).constData()) == 0);
        {
            CatalogueLock shown(file("linked.db"));
            QVERIFY(shown.tryAcquire());
            const Run r = run({S("export"), file("out.csv")});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(S("起動中")), qPrintable(r.err));
        }
        // Another quillo-csv is named as such, not taken for a window.
        const test::ToolHoldingCatalogue other(S(QUILLO_CSV), m_db->path(), file("pipe"),
                                               toolEnvironment());
        const Run r = run({S("export"), file("out.csv")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("quillo-csv が使用中")) && !r.err.contains(S("起動中")),
                 qPrintable(r.err));
    }

    void valuesNoBookHoldsAreRefusedByBookAndColumn_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("encoding");
        for (const char* encoding : {"sjis", "utf-8"}) {
            QTest::addRow("bytes, %s", encoding) << S("x'00ff41'") << S(encoding);
            QTest::addRow("a word, %s", encoding) << S("'soon'") << S(encoding);
            QTest::addRow("a number, %s", encoding) << S("20040904") << S(encoding);
            QTest::addRow("a date with more, %s", encoding)
                << S("'2004-09-04 12:34'") << S(encoding);
        }
    }
    void valuesNoBookHoldsAreRefusedByBookAndColumn() {
        QFETCH(QString, value);
        QFETCH(QString, encoding);
        test::exec(S("update quillo set PubDate = %1 where ID = 9").arg(value));
        test::writeFile(file("out.csv"), "the previous export\r\n");
        const Run r = run({S("export"), file("out.csv"), S("--encoding"), encoding});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("ID 9「伊豆の踊子」の初版発行日")), qPrintable(r.err));
        QCOMPARE(test::readFile(file("out.csv")), QByteArray("the previous export\r\n"));
    }

    void helpExplainsItself() {
        QProcess tool;
        tool.start(S(QUILLO_CSV), {S("--help")});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        QVERIFY(tool.readAllStandardOutput().contains("import"));
    }

    // An "isbn" column wherever a heading puts it is kept beside each book as
    // ISBN-13 (a wrong one refuses its line, naming it, and adds nothing);
    // export --isbn writes it last, hyphenated, and reads back the same.
    void isbnsGoInByHeadingAndComeOutWithIsbn() {
        auto write = [&](const char* name, const char* text) {
            QFile csv(file(name));
            QVERIFY(csv.open(QIODevice::WriteOnly));
            csv.write(text);
        };
        write("calibre.csv",
              "title,isbn,authors,publisher\n"
              "\"情報検索演習\",4883671313,\"原田 智子\",樹村房\n"
              "\"基礎からわかる情報リテラシー\",978-4-7741-6213-3,奥村晴彦,技術評論社\n"
              "\"ISBN のない本\",,誰か,どこか\n");
        write("wrong.csv", "title,isbn\n\"一冊目\",4883671313\n\"二冊目\",9784774162134\n");
        const Run wrong = run({S("import"), file("wrong.csv")});
        QCOMPARE(wrong.status, 1);
        QVERIFY2(wrong.err.contains(S("3 行目")) && wrong.err.contains(S("チェックディジット")),
                 qPrintable(wrong.err));
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 2);
        QCOMPARE(run({S("import"), file("calibre.csv")}).status, 0);
        QCOMPARE(test::rows(S("select q.Title, i.Isbn from quillo q join quillo_isbn i using (ID)"
                              " order by q.ID")),
                 (QStringList{S("情報検索演習|9784883671311"),
                              S("基礎からわかる情報リテラシー|9784774162133")}));
        const Run out = run({S("export"), file("out.csv"), S("--isbn"), S("--header"), S("yes"),
                             S("--encoding"), S("utf-8")});
        QCOMPARE(out.status, 0);
        QFile exported(file("out.csv"));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(exported.readAll()).split(S("\r\n"));
        QVERIFY2(lines[0].endsWith(S(",\"ISBN\"")), qPrintable(lines[0]));
        QVERIFY2(lines[3].endsWith(S(",\"978-4-88367-131-1\"")), qPrintable(lines[3]));
        QVERIFY2(lines[5].endsWith(S(",\"\"")), qPrintable(lines[5]));
        // Read back into a new catalogue, the numbers are the same.
        const Run back = run({S("import"), file("out.csv"), S("--db"), file("back.db")});
        QCOMPARE(back.status, 0);
        Connection::setAliasPath(S("book"), file("back.db"));
        const QStringList again = test::rows(S("select Isbn from quillo_isbn order by ID"));
        Connection::setAliasPath(S("book"), m_db->path());
        QCOMPARE(again, (QStringList{S("9784883671311"), S("9784774162133")}));
    }
};

QTEST_GUILESS_MAIN(TestQuilloCsvTool)
#include "tst_quillo_csv_tool.moc"
