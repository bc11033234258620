// quillo-csv: imports and exports the catalogue as CSV without windows, for
// scripts and backups. It uses the same store code as the program.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "backup/auto_backups.h"
#include "csv/csv_exchange.h"
#include "csv/isbn_adding.h"
#include "engine/catalogue_file.h"
#include "engine/database_copy.h"
#include "engine/engine_error.h"
#include "lookup/ndl_lookup.h"
#include "platform/catalogue_lock.h"
#include "platform/program_info.h"
#include "platform/qt_translations.h"
#include "platform/quiet_notices.h"
#include "platform/shown_text.h"
#include "reading/catalogue_readings.h"
#include "settings/settings_file.h"
#include "store/book_table.h"
#include "store/headless_host.h"
#include "store/same_books.h"
#include "store/tdm.h"

using namespace quillo;

namespace {

// A line for the user on standard output or error: a control character a
// title or a file brought in is written out, never acted on by the terminal.
void say(std::FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", withControlsShownButLineBreaks(text).toUtf8().constData());
}

void warn(const QString& text) {
    say(stderr, QStringLiteral("quillo-csv: ") + text);
}

int fail(const QString& message) {
    // Messages from below end without a full stop, as the error display adds one.
    const bool ended = message.endsWith(QStringLiteral("。")) || message.endsWith(QLatin1Char('.'));
    warn(ended ? message : message + QStringLiteral("。"));
    return 1;
}

int choice(const QString& value, const QStringList& names, bool* ok) {
    const qsizetype i = names.indexOf(value);
    *ok = i >= 0;
    return static_cast<int>(i);
}

// The automatic backups of a catalogue, kept as the program's settings say.
AutoBackups backupsOf(const QString& databasePath) {
    AppSettings settings;
    LoadSettings(IniPathOf(QStringLiteral("quillo")), settings);
    return AutoBackups(defaultBackupFolder(), databasePath,
                       BackupPolicy{settings.BackupEnabled, settings.BackupKeep,
                                    settings.BackupMinMinutes, settings.BackupMaxMegabytes});
}

int listBackups(const QString& databasePath) {
    const AutoBackups series = backupsOf(databasePath);
    const std::vector<BackupEntry> backups = series.list();
    if (const int older = series.olderUnkeyed())
        warn(QStringLiteral("以前の版が作った同じ名前のバックアップが %1 個あります。"
                            "どのカタログのものか記録されていないため一覧には出しません"
                            "（quillo-csv restore にファイル名を指定すれば戻せます）")
                 .arg(older));
    if (backups.empty()) {
        say(stdout, QStringLiteral("%1 のバックアップはありません（%2）")
                        .arg(databasePath, defaultBackupFolder()));
        return 0;
    }
    for (const BackupEntry& b : backups)
        std::printf("%s\n", QStringList{backupTimeText(b), backupBooksText(b),
                                        backupSizeText(b.bytes), withControlsShown(b.path)}
                                .join(u'\t')
                                .toUtf8()
                                .constData());
    return 0;
}

// Adds the books of these ISBNs, looked up at the National Diet Library, in
// one apply; a line per number. Fails when none could be added.
int addByIsbn(const QStringList& numbers, const QString& databasePath) {
    // Asking for these books is itself the consent; settings that turned
    // look-ups off are followed all the same.
    AppSettings settings;
    LoadSettings(IniPathOf(QStringLiteral("quillo")), settings);
    if (!settings.LookupEnabled)
        return fail(QStringLiteral("設定ファイル ") + IniPathOf(QStringLiteral("quillo")) +
                    QStringLiteral(" の [Lookup] Enabled=0 のため、国立国会図書館には問い合わせ"
                                   "ません。何も追加していません（Quillo の 表示 > オプションの"
                                   "「国立国会図書館で調べる」で変えられます）。"));
    NdlService service;
    service.url = settings.LookupUrl;
    service.covers = settings.LookupCovers;
    NdlLookup::configure(service);
    if (const QString problem = NdlLookup::serviceProblem(); !problem.isEmpty())
        return fail(problem + QStringLiteral("。何も追加していません。"));
    CatalogueLock lock(databasePath, CatalogueUser::CsvTool);
    if (!lock.tryAcquire())
        return fail(catalogueLockRefusal(lock, databasePath));
    HeadlessStoreHost host;
    auto store = std::make_unique<TDM>(&host, TDM::FirstRead::NoBooks);
    const CloseWithoutRenumbering closer(*store);
    store->Database().checkWritable();
    try {
        backupsOf(databasePath).beforeImport(store->Database());
    } catch (const EngineError& e) {
        warn(QStringLiteral("自動バックアップを作れませんでした（") + e.message() +
             QStringLiteral("）"));
    }
    auto bookReadings = std::make_unique<CatalogueReadings>(store->Database());
    bookReadings->prepare(true);
    store->setReadings(std::move(bookReadings));
    NdlLookup lookup;
    const int added = addBooksByIsbn(*store, lookup, numbers, [](const QString& line) {
        say(stdout, line);
        std::fflush(stdout);
    });
    if (added == 0)
        return fail(QStringLiteral("追加できた本はありません。"));
    say(stdout, QString::number(added) + QStringLiteral(" 冊を追加しました。"));
    return 0;
}

// Runs one command on an existing catalogue; EngineError goes to the caller.
int runCommand(const QString& command, CsvSettings& settings, const QString& databasePath) {
    // A backup only reads, and SQLite's backup is consistent: fine while the window
    // runs (changes it has not applied are not in the file, and not in the copy).
    if (command == QLatin1String("backup")) {
        CatalogueLock user(databasePath, CatalogueUser::CsvTool);
        if (!user.tryAcquire(false))
            return fail(catalogueLockRefusal(user, databasePath));
        Connection catalogue(QStringLiteral("book"), Connection::Access::ReadOnly,
                             &bookTableSchema());
        BackupDatabase(catalogue, settings.fileName);
        return 0;
    }
    // While the program shows a catalogue it holds its own idea of the largest ID
    // and renumbers at exit; working on that file under it would collide with
    // both. Another catalogue is free to work on.
    CatalogueLock lock(databasePath, CatalogueUser::CsvTool);
    if (!lock.tryAcquire())
        return fail(catalogueLockRefusal(
            lock, databasePath,
            command == QLatin1String("restore")
                ? QStringLiteral("未適用の変更があれば失われるため、復元しません。")
                : QString()));
    if (command == QLatin1String("restore")) {
        // A damaged catalogue may be restored: that is what a backup is for.
        Connection catalogue(QStringLiteral("book"), Connection::Access::ReadWrite,
                             &bookTableSchema());
        // The catalogue as it is now is kept first, so the restore can be undone.
        AutoBackups backups = backupsOf(databasePath);
        restoreFromBackup(catalogue, settings.fileName, backups);
        return 0;
    }
    if (command == QLatin1String("import")) {
        // Straight into the table in one transaction: nothing is shown, so the
        // new books need not be held in memory.
        Connection books(QStringLiteral("book"), Connection::Access::ReadWrite, &bookTableSchema());
        books.checkWritable();
        // The catalogue before the import; a backup that fails is said, and the
        // import goes on (it adds all its books or none).
        try {
            backupsOf(databasePath).beforeImport(books);
        } catch (const EngineError& e) {
            warn(QStringLiteral("自動バックアップを作れませんでした（") + e.message() +
                 QStringLiteral("）"));
        }
        // The books get their readings in the import's transaction; a catalogue
        // without them gets them all first, as the program would at its start.
        CatalogueReadings bookReadings(books);
        bookReadings.prepare(true);
        // What the catalogue holds already, to say how many books it has twice.
        const SameBooksBeforeImport before(books.handle());
        const CsvResult r = ImportCsvIntoTable(books, &settings, &bookReadings);
        if (r.kind == CsvResult::Kind::LineRefused)
            return fail(
                QStringLiteral("入力ファイル\n%1\nの %2 行目でｴﾗｰとなりました。\n"
                               "（データは登録されていません）\n%3")
                    .arg(withControlsShown(settings.fileName), QString::number(r.line), r.reason));
        if (!r.ok())
            return fail(QStringLiteral("CSV 入力に失敗しました。\n") + r.reason);
        const int added = r.books;
        const QString same = before.note();
        say(stdout, QStringLiteral("%1 冊を追加しました。").arg(added) +
                        (same.isEmpty() ? QString() : same + QStringLiteral("。")));
        if (const QString notes = importNotes(r, settings); !notes.isEmpty())
            say(stdout, notes);
        return 0;
    }
    // The export reads the stored books row by row; the live query holds none.
    // The tool changes nothing but what it is asked to: no renumbering on the
    // way out (the program does that at its own exit).
    HeadlessStoreHost host;
    auto store = std::make_unique<TDM>(&host, TDM::FirstRead::NoBooks);
    const CloseWithoutRenumbering closer(*store);
    if (settings.readings) {
        // An export writes nothing: readings not kept are read as it goes.
        auto bookReadings = std::make_unique<CatalogueReadings>(store->Database());
        bookReadings->prepare(false);
        store->setReadings(std::move(bookReadings));
    }
    const CsvResult r = ExportCsv(*store, &settings);
    if (!r.ok())
        return fail(r.reason);
    if (r.unsafeBooks > 0)
        warn(unquotedExportWarning(r.unsafeBooks));
    if (r.guardedFields > 0)
        say(stdout, formulaGuardNote(r.guardedFields).trimmed());
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    quietRuntimeFolderNotice();
    QCoreApplication app(argc, argv);
    installQtTranslations();
    nameQuilloApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "CSV ファイルの本を Quillo のカタログに入力し、またはカタログを CSV ファイルに"
            "出力します。\n"
            "ファイルは Shift-JIS (CP932) か UTF-8（UTF-16 も入力可）、1 行に 1 冊、12 列です:\n"
            "書名、著者名、出版社、初版発行日、購入日、副題、分類、翻訳者、著者名2～著者名5。"
            "--readings では書名・著者名・出版社の読み（カタカナ）の 3 列が続きます。\n"
            "1 行目が見出しなら、列はその名前で読みます（書名、title、authors、comments など。"
            "calibre の CSV もそのまま入力できます）。\n"
            "入力はすべての行を追加するか、ある行で失敗すればどの行も追加しません。読みの列が"
            "ある行はその読みを使います。\n") +
        whereFilesLive());
    const QCommandLineOption help = addHelpAndVersionOptions(parser);
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("import か export（CSV。入力した本には新しい ID が付きます）、"
                       "backup か restore（カタログ全体の複製。すべての列と ID を保ちます）、"
                       "backups（変更の前に自動で取ったバックアップ "
                       "$XDG_DATA_HOME/Quillo/backups を新しい順に表示します）、"
                       "add-isbn（続く ISBN の本を国立国会図書館で調べ、書名・著者名・出版社・"
                       "発行日と読みを入れて追加します。1 秒に 1 件ずつ問い合わせます。"
                       "環境変数 QUILLO_NDL_URL で問い合わせ先を変えられます）。"));
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("CSV ファイル、またはバックアップファイル。"));
    const QCommandLineOption db(
        QStringLiteral("db"),
        QStringLiteral("カタログのデータベース（既定はプログラムの book.db）。"),
        QStringLiteral("path"));
    const QCommandLineOption separator(
        QStringLiteral("separator"),
        QStringLiteral("comma、semicolon または tab。入力で指定がなければファイルから判定し、"
                       "出力では comma です。"),
        QStringLiteral("name"), QStringLiteral("comma"));
    const QCommandLineOption dateFormat(
        QStringLiteral("date-format"),
        QStringLiteral("0 yyyy/mm/dd、1 yyyy.mm.dd、2 yyyymmdd（既定は 0）。"), QStringLiteral("n"),
        QStringLiteral("0"));
    const QCommandLineOption noQuote(QStringLiteral("no-quote"),
                                     QStringLiteral("出力: 文字の項目を２重引用符で囲みません。"));
    const QCommandLineOption encoding(
        QStringLiteral("encoding"),
        QStringLiteral("sjis、utf-8、utf-16 または auto（既定は auto）。入力の auto は、"
                       "バイト順マークがあれば UTF-16、なければファイル全体から UTF-8 か "
                       "Shift-JIS かを判定します。出力の auto は Shift-JIS で、utf-8 と utf-16 "
                       "はバイト順マークを書きます。"),
        QStringLiteral("name"), QStringLiteral("auto"));
    const QCommandLineOption header(
        QStringLiteral("header"),
        QStringLiteral("入力: auto、yes または no（既定は auto）。1 行目を見出しとして列を"
                       "その名前で読むかどうか。auto は、知っている列の名前が 2 つ以上（または"
                       "名前だけ）の行を見出しとします。出力: yes で見出しを 1 行目に書きます。"),
        QStringLiteral("when"), QStringLiteral("auto"));
    const QCommandLineOption split(
        QStringLiteral("split"),
        QStringLiteral("入力: rfc4180（表計算ソフトの形）、legacy（引用符のない項目は空白でも"
                       "区切る）または auto（rfc4180、ただし legacy でだけ 12 項目に読める行は "
                       "legacy。既定）。"),
        QStringLiteral("rule"), QStringLiteral("auto"));
    const QCommandLineOption readings(
        QStringLiteral("readings"),
        QStringLiteral("出力: 書名・著者名・出版社の読み（書名ヨミ、著者名ヨミ、出版社ヨミ）の "
                       "3 列を加えます。"));
    const QCommandLineOption isbn(
        QStringLiteral("isbn"),
        QStringLiteral("出力: 本の ISBN（978-4-… の形）の列を最後に加えます。入力では、見出しの"
                       "「ISBN」列をどこにあっても読みます。"));
    const QCommandLineOption noFormulaGuard(
        QStringLiteral("no-formula-guard"),
        QStringLiteral("出力: = + - @ などで始まる項目を、表計算ソフトが数式としないための "
                       "' を付けずにそのまま書きます。"));
    parser.addOptions({db, separator, dateFormat, noQuote, encoding, header, split, readings, isbn,
                       noFormulaGuard});
    parser.process(app);
    answerHelp(parser, help);

    const QStringList args = parser.positionalArguments();
    const QStringList commands = {QStringLiteral("import"),  QStringLiteral("export"),
                                  QStringLiteral("backup"),  QStringLiteral("restore"),
                                  QStringLiteral("backups"), QStringLiteral("add-isbn")};
    const bool listing = !args.isEmpty() && args[0] == QLatin1String("backups");
    const bool byIsbn = !args.isEmpty() && args[0] == QLatin1String("add-isbn");
    if ((byIsbn ? args.size() < 2 : args.size() != (listing ? 1 : 2)) ||
        !commands.contains(args[0]))
        return fail(
            QStringLiteral("使い方: quillo-csv import|export|backup|restore ファイル "
                           "[オプション]、quillo-csv add-isbn ISBN...、または quillo-csv "
                           "backups。詳しくは --help"));

    CsvSettings settings;
    settings.fileName = listing ? QString() : args[1];
    settings.quote = !parser.isSet(noQuote);
    settings.formulaGuard = !parser.isSet(noFormulaGuard);
    bool ok = false;
    settings.separator =
        choice(parser.value(separator),
               {QStringLiteral("comma"), QStringLiteral("semicolon"), QStringLiteral("tab")}, &ok);
    if (!ok)
        return fail(
            QStringLiteral("区切り文字 '%1' は使えません（comma、semicolon、tab のどれか）。")
                .arg(parser.value(separator)));
    settings.findSeparator = !parser.isSet(separator);
    settings.dateFormat =
        choice(parser.value(dateFormat),
               {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}, &ok);
    if (!ok)
        return fail(QStringLiteral("日付の書式 '%1' は使えません（0、1、2 のどれか）。")
                        .arg(parser.value(dateFormat)));
    settings.encoding =
        static_cast<CsvEncoding>(choice(parser.value(encoding),
                                        {QStringLiteral("auto"), QStringLiteral("sjis"),
                                         QStringLiteral("utf-8"), QStringLiteral("utf-16")},
                                        &ok));
    if (!ok)
        return fail(
            QStringLiteral("文字コード '%1' は使えません（auto、sjis、utf-8、utf-16 のどれか）。")
                .arg(parser.value(encoding)));
    settings.split = static_cast<CsvSplit>(
        choice(parser.value(split),
               {QStringLiteral("auto"), QStringLiteral("rfc4180"), QStringLiteral("legacy")}, &ok));
    if (!ok)
        return fail(QStringLiteral("区切り方 '%1' は使えません（auto、rfc4180、legacy のどれか）。")
                        .arg(parser.value(split)));
    settings.header = static_cast<CsvHeader>(
        choice(parser.value(header),
               {QStringLiteral("auto"), QStringLiteral("yes"), QStringLiteral("no")}, &ok));
    if (!ok)
        return fail(QStringLiteral("見出しの指定 '%1' は使えません（auto、yes、no のどれか）。")
                        .arg(parser.value(header)));
    settings.writeHeader = parser.isSet(header) && settings.header == CsvHeader::Yes;
    settings.readings = parser.isSet(readings);
    settings.isbn = parser.isSet(isbn);
    if (parser.isSet(db))
        Connection::setAliasPath(QStringLiteral("book"), parser.value(db));
    const QString databasePath = Connection::aliasPath(QStringLiteral("book"));
    const QString command = args[0];
    if (listing)
        return listBackups(databasePath);
    try {
        // Export and backup only read a catalogue: a path that names none is a
        // mistake, and an empty file made for it would be taken for the books.
        // Import and restore may start a new catalogue where no file is yet.
        const bool makesCatalogue =
            command == QLatin1String("import") || command == QLatin1String("restore") || byIsbn;
        if (command == QLatin1String("import") && !QFileInfo::exists(settings.fileName))
            return fail(
                QStringLiteral("入力ファイル\n%1\nは存在しません。").arg(settings.fileName));
        // A restore checks its backup itself; before a new catalogue is made for
        // it, the check comes first, so a bad backup leaves nothing behind.
        if (command == QLatin1String("restore") && !QFileInfo::exists(databasePath))
            CheckBackupFile(settings.fileName, bookTableSchema(), databasePath);
        bool created = false;
        if (makesCatalogue)
            created = CreateCatalogueIfMissing(databasePath);
        else if (!QFileInfo::exists(databasePath))
            return fail(QStringLiteral("カタログ %1 がありません。--db のパスを確かめてください。")
                            .arg(databasePath));
        // A new catalogue the command did not fill is not left behind.
        struct DropUnfinished {
            QString path;
            bool armed;
            ~DropUnfinished() {
                if (armed)
                    QFile::remove(path);
            }
        } dropUnfinished{databasePath, created};
        const int status = byIsbn ? addByIsbn(args.mid(1), databasePath)
                                  : runCommand(command, settings, databasePath);
        if (status == 0 && created) {
            dropUnfinished.armed = false;
            say(stdout, QStringLiteral("新しいカタログ %1 を作りました。").arg(databasePath));
        }
        return status;
    } catch (const EngineError& e) {
        if (e.isBusy())
            return fail(QStringLiteral(
                            "データベースは他のプログラムが使用中です。何も変更していません。(%1)")
                            .arg(e.message()));
        // SQLite's own words name no file; the user needs to know which one.
        if (isDamageError(e) && e.subject().isEmpty() && !e.message().contains(databasePath))
            return fail(damagedCatalogueText(databasePath, e.message()));
        return fail(e.message());
    }
}
