// The settings file: Shift-JIS INI text with the program's sections and keys.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "files.h"
#include "full_disk.h"
#include "settings/profile_file.h"
#include "settings/settings_file.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestSettingsFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

    AppSettings loadFrom(const QByteArray& bytes) {
        test::writeFile(m_path, bytes);
        AppSettings settings;
        LoadSettings(m_path, settings);
        return settings;
    }
    QStringList keysInFile() {
        QStringList keys;
        const QString text = Cp932::decode(test::readFile(m_path)).value_or(QString());
        for (const QString& line : text.split(S("\r\n"), Qt::SkipEmptyParts))
            keys << (line.startsWith(QLatin1Char('[')) ? line
                                                       : line.section(QLatin1Char('='), 0, 0));
        return keys;
    }

private slots:
    void init() {
        m_path = m_dir.filePath(S("quillo.Ini"));
        QFile::remove(m_path);
        QFile::remove(m_path + S(".bak"));
    }

    void aFirstSaveWritesEveryKeyInOrder() {
        SaveSettings(m_path, AppSettings());
        const QStringList expected =
            S("[QuilloApp] VERSION [Window] Left Top Width Height ToolBar StatusBar ViewType "
              "[SortField] FieldName FieldName2 Option [FieldWidth] Title Writer Publisher PubDate "
              "BuyDate SubTitle Kind Translator Memo Writer2 Writer3 Writer4 Writer5 "
              "[FieldVisible] ID "
              "Title Writer Publisher PubDate BuyDate SubTitle Kind Translator Memo Writer2 "
              "Writer3 "
              "Writer4 Writer5 [Font] Name Size Style TitleName TitleSize TitleStyle "
              "[ClipboardSetting] "
              "CopyType CopyAddLabel CopyAddChar AddStringStart AddStringEnd SkipPoorField "
              "[FieldName] "
              "NAME_ID NAME_TITLE NAME_WRITER NAME_PUBLISH NAME_PUBDATE NAME_BUYDATE NAME_SUBTITLE "
              "NAME_KIND NAME_TRANSLATOR NAME_MEMO NAME_WRITER2 NAME_WRITER3 NAME_WRITER4 "
              "NAME_WRITER5 "
              "[Confirm] Exit Apply Cancel DeleteRecord [SortOrder] Collation "
              "[Backup] Enabled Keep MinMinutes MaxMegabytes [Lookup] Enabled Asked Url Covers")
                .split(QLatin1Char(' '));
        QCOMPARE(keysInFile(), expected);
        QCOMPARE(expected.size() - 12, 77);  // keys, without the section lines
        const QByteArray bytes = test::readFile(m_path);
        QVERIFY(bytes.startsWith("[QuilloApp]\r\nVERSION=1.2.1\r\n[Window]\r\nLeft=199\r\n"));
        QVERIFY(bytes.contains(test::sjis(S("Name=ＭＳ Ｐゴシック\r\nSize=9\r\nStyle=0\r\n"))));
        QVERIFY(bytes.contains(test::sjis(S("AddStringStart=『\r\n"))));
        QVERIFY(bytes.contains("[FieldVisible]\r\nID=0\r\nTitle=1\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    }

    void valuesAreReadByTheirEncodings() {
        const AppSettings s = loadFrom(test::sjis(
            S("[window]\r\nLEFT=0x20\r\nTop=-15\r\nWidth=abc\r\nToolBar=2\r\nStatusBar=0\r\n"
              "[SortField]\r\nFieldName=Title\r\nFieldName2=\r\n"
              "[Font]\r\nName=IPAPGothic\r\nStyle=5\r\nTitleStyle=abc\r\n"
              "[FieldVisible]\r\nID=1\r\n[FieldWidth]\r\nID=55\r\nTitle=321\r\n"
              "[FieldName]\r\nNAME_TITLE=\r\nNAME_WRITER2=共著者\r\n[Confirm]\r\nExit=0\r\n")));
        QCOMPARE(s.bounds.left, 32);
        QCOMPARE(s.bounds.top, -15);
        QCOMPARE(s.bounds.width, 687);  // not a number: the current value stays
        QVERIFY(s.ToolBarShown);
        QVERIFY(!s.StatusBarShown);
        QCOMPARE(s.SortField1, S("Title"));
        QCOMPARE(s.SortField2, S(""));  // present and empty: no second key
        QCOMPARE(s.RecordFont.name, S("IPAPGothic"));
        QVERIFY(!s.RecordFont.bold && !s.RecordFont.italic);
        QCOMPARE(FontStyleCode(s.RecordFont), 0);
        QVERIFY(s.FieldVisible[FieldNo::ID]);
        QCOMPARE(s.FieldWidths[FieldNo::ID], 10);  // the ID width is never read
        QCOMPARE(s.FieldWidths[FieldNo::Title], 321);
        QCOMPARE(s.FieldLabels[FieldNo::Title], S(" "));
        QCOMPARE(s.FieldLabels[FieldNo::Writer2], S("共著者"));
        QCOMPARE(s.FieldLabels[FieldNo::Writer], S("著者名"));
        QVERIFY(!s.ConfirmExit);
        QVERIFY(s.ConfirmDelete);
        QVERIFY(s.FilterText.isEmpty());
    }

    // Every key's value is checked where it is read; one out of range is the
    // key's default, and that is what the next save writes.
    void valuesOutOfRangeAreTheDefault_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("written");
        QTest::addRow("view 3") << S("[Window]\r\nViewType=3") << S("ViewType=0");
        QTest::addRow("cover view") << S("[Window]\r\nViewType=2") << S("ViewType=2");
        QTest::addRow("view -1") << S("[Window]\r\nViewType=-1") << S("ViewType=0");
        QTest::addRow("card view") << S("[Window]\r\nViewType=1") << S("ViewType=1");
        QTest::addRow("tiny window") << S("[Window]\r\nWidth=3") << S("Width=687");
        QTest::addRow("no such sort column")
            << S("[SortField]\r\nFieldName=Bogus") << S("FieldName=Writer");
        QTest::addRow("sort column in capitals")
            << S("[SortField]\r\nFieldName=TITLE") << S("FieldName=TITLE");
        QTest::addRow("second sort column")
            << S("[SortField]\r\nFieldName2=x;") << S("FieldName2=Title");
        QTest::addRow("narrow column") << S("[FieldWidth]\r\nMemo=0") << S("Memo=80");
        QTest::addRow("font size") << S("[Font]\r\nSize=0") << S("Size=9");
        QTest::addRow("copy type") << S("[ClipboardSetting]\r\nCopyType=3") << S("CopyType=1");
        QTest::addRow("unknown order") << S("[SortOrder]\r\nCollation=Kanji") << S("Collation=JIS");
        QTest::addRow("keep none") << S("[Backup]\r\nKeep=0") << S("Keep=20");
        QTest::addRow("no budget") << S("[Backup]\r\nMaxMegabytes=-5") << S("MaxMegabytes=2000");
    }
    void valuesOutOfRangeAreTheDefault() {
        QFETCH(QString, line);
        QFETCH(QString, written);
        const AppSettings s = loadFrom(test::sjis(line + S("\r\n")));
        SaveSettings(m_path, s);
        QVERIFY2(
            Cp932::decode(test::readFile(m_path)).value_or(QString()).contains(written + S("\r\n")),
            qPrintable(written));
    }

    void fontStyleCodes() {
        FontSetting font;
        for (int code : {0, 1, 2, 3}) {
            SetFontStyleFromCode(font, code);
            QCOMPARE(FontStyleCode(font), code);
        }
        SetFontStyleFromCode(font, 5);
        QCOMPARE(FontStyleCode(font), 0);
        font.bold = true;
        font.underline = true;
        QCOMPARE(FontStyleCode(font), 0);
        font.underline = false;
        font.strikeOut = true;
        QCOMPARE(FontStyleCode(font), 0);
    }

    void longTextsAreCutAtTheByteLimit() {
        const QString longLabel(1500, QChar(0x672C));  // 3000 bytes of 本
        const AppSettings s =
            loadFrom(test::sjis(S("[FieldName]\r\nNAME_MEMO=") + longLabel + S("\r\n")));
        QCOMPARE(s.FieldLabels[FieldNo::Memo].size(),
                 1023);  // 2046 bytes; a 1024th would pass 2047
        const AppSettings ascii =
            loadFrom(QByteArray("[FieldName]\r\nNAME_MEMO=") + QByteArray(3000, 'm') + "\r\n");
        QCOMPARE(ascii.FieldLabels[FieldNo::Memo].size(), 2047);
    }

    void japaneseLabelsRoundTripByteForByte() {
        AppSettings s;
        s.FieldLabels[FieldNo::Writer2] = S("共著者");
        s.AddStringStart = S("【");
        s.AddStringEnd = S("】");
        s.RecordFont.bold = true;
        s.SortOption = 1;
        SaveSettings(m_path, s);
        const QByteArray first = test::readFile(m_path);
        AppSettings loaded;
        LoadSettings(m_path, loaded);
        QCOMPARE(loaded.FieldLabels, s.FieldLabels);
        QCOMPARE(loaded.AddStringStart, S("【"));
        QCOMPARE(FontStyleCode(loaded.RecordFont), 1);
        SaveSettings(m_path, loaded);
        QCOMPARE(test::readFile(m_path), first);
    }

    void unknownSectionsAndKeysSurviveASave() {
        test::writeFile(
            m_path, test::sjis(S("; 手書きのメモ\r\n[Window]\r\nLeft=5\r\nExtra=そのまま\r\n\r\n"
                                 "[Plugin]\r\nKey=値\r\n")));
        AppSettings s;
        LoadSettings(m_path, s);
        QCOMPARE(s.bounds.left, 5);
        SaveSettings(m_path, s);
        const ProfileFile file(m_path);
        QCOMPARE(file.readString(S("window"), S("extra"), S("")), S("そのまま"));
        QCOMPARE(file.readString(S("Plugin"), S("Key"), S("")), S("値"));
        QCOMPARE(file.readString(S("Window"), S("Top"), S("")), S("141"));
        QCOMPARE(file.lines().first(), S("; 手書きのメモ"));
        // A new key goes after the section's last entry, before its blank line.
        const qsizetype top = file.lines().indexOf(S("Top=141"));
        QVERIFY(top > file.lines().indexOf(S("Extra=そのまま")));
        QVERIFY(top < file.lines().indexOf(S("[Plugin]")));
    }

    void damagedOrMissingFilesGiveDefaults() {
        const AppSettings fromJunk = loadFrom(QByteArray("[Window]\r\nLeft=\x81\x20\xff\r\n"));
        QCOMPARE(fromJunk.bounds.left, 199);
        AppSettings missing;
        LoadSettings(m_dir.filePath(S("none.Ini")), missing);
        QCOMPARE(missing.SortField1, S("Writer"));
    }

    void aUtf8FileIsReadAndKeptAsACopyBeforeItIsRewritten_data() {
        QTest::addColumn<QByteArray>("mark");
        QTest::addRow("without its mark") << QByteArray();
        QTest::addRow("with its mark") << QByteArray("\xEF\xBB\xBF");
    }
    void aUtf8FileIsReadAndKeptAsACopyBeforeItIsRewritten() {
        QFETCH(QByteArray, mark);
        const QByteArray old =
            mark +
            S("[FieldName]\r\nNAME_WRITER2=共著者\r\n[Confirm]\r\nDeleteRecord=0\r\n").toUtf8();
        const AppSettings settings = loadFrom(old);
        QCOMPARE(settings.FieldLabels[FieldNo::Writer2], S("共著者"));
        QVERIFY(!settings.ConfirmDelete);
        QCOMPARE(SaveSettings(m_path, settings), m_path + S(".bak"));
        QCOMPARE(test::readFile(m_path + S(".bak")), old);
        QVERIFY(test::readFile(m_path).contains(test::sjis(S("NAME_WRITER2=共著者\r\n"))));
        // Said once: the rewritten file is clean Shift-JIS.
        QCOMPARE(SaveSettings(m_path, settings), QString());
        QCOMPARE(test::readFile(m_path + S(".bak")), old);
    }

    void aDamagedFileLosesOnlyItsUnreadableLines() {
        const QByteArray old = test::sjis(S("[Window]\r\nLeft=17\r\n")) +
                               QByteArray("Top=\x81\x20\xff\r\n") +
                               test::sjis(S("[FieldName]\r\nNAME_WRITER3=訳注\r\n"));
        const AppSettings settings = loadFrom(old);
        QCOMPARE(settings.bounds.left, 17);
        QCOMPARE(settings.bounds.top, 141);  // the default
        QCOMPARE(settings.FieldLabels[FieldNo::Writer3], S("訳注"));
        QCOMPARE(SaveSettings(m_path, settings), m_path + S(".bak"));
        QCOMPARE(test::readFile(m_path + S(".bak")), old);
    }

    void aCleanFileIsRewrittenWithoutACopy() {
        SaveSettings(m_path, AppSettings());
        QCOMPARE(SaveSettings(m_path, AppSettings()), QString());
        QVERIFY(!QFile::exists(m_path + S(".bak")));
    }

    void lineBreaksAndNulsNeverReachTheFile() {
        AppSettings s;
        s.FieldLabels[FieldNo::Writer2] = S("共著者\r\n[Confirm]\r\nDeleteRecord=0");
        s.FieldLabels[FieldNo::Writer3] = S("訳") + QChar(0) + S("注");
        SaveSettings(m_path, s);
        AppSettings back;
        LoadSettings(m_path, back);
        QVERIFY(back.ConfirmDelete);  // nothing was injected
        QCOMPARE(back.FieldLabels[FieldNo::Writer2], S("共著者[Confirm]DeleteRecord=0"));
        QCOMPARE(back.FieldLabels[FieldNo::Writer3], S("訳注"));
        QCOMPARE(back.FieldLabels[FieldNo::Writer5],
                 S("著者名５"));  // the rest of the file is read
    }

    void aFullDiskLeavesTheOldFileAndSaysSo() {
        AppSettings s;
        s.bounds.left = 7;
        SaveSettings(m_path, s);
        const QByteArray old = test::readFile(m_path);
        s.bounds.left = 8;
        {
            test::FullDisk full(256);  // the file is well over 1 KB
            QVERIFY_THROWS_EXCEPTION(SettingsFileError, SaveSettings(m_path, s));
        }
        QCOMPARE(test::readFile(m_path), old);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{S("quillo.Ini")});
    }

    // A text Shift-JIS cannot hold makes the file UTF-8, with its mark, and it
    // reads back as it was.
    void aTextShiftJisCannotHoldIsSavedInUtf8() {
        test::writeFile(m_path, QByteArray("[Window]\r\nLeft=7\r\n"));
        AppSettings s;
        s.FieldLabels[FieldNo::Writer3] = S("😀");
        s.FieldLabels[FieldNo::Writer4] = S("Gödel");
        SaveSettings(m_path, s);
        QVERIFY(test::readFile(m_path).startsWith("\xEF\xBB\xBF[Window]\r\n"));
        AppSettings back;
        LoadSettings(m_path, back);
        QCOMPARE(back.FieldLabels[FieldNo::Writer3], S("😀"));
        QCOMPARE(back.FieldLabels[FieldNo::Writer4], S("Gödel"));
        QCOMPARE(back.bounds.left, s.bounds.left);
    }

    void aRefusedSaveNamesTheFile() {
        const QString nowhere = m_dir.filePath(S("no/such/folder/quillo.Ini"));
        try {
            SaveSettings(nowhere, AppSettings());
            QFAIL("a save into a missing folder succeeded");
        } catch (const SettingsFileError& e) {
            QVERIFY(e.message().contains(nowhere));
        }
    }

    void iniPathIsBesideTheProgram() {
        const QFileInfo program(QCoreApplication::applicationFilePath());
        QCOMPARE(IniPath(), program.absolutePath() + S("/tst_settings_file.Ini"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
