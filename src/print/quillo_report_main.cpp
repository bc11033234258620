// quillo-report: prints the catalogue to a PDF as the window would (its visible
// columns, widths, sort and fonts, from the settings file, and a filter when one
// is given) without a window, with the same layout code.
#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPdfWriter>
#include <cstdio>

#include "engine/catalogue_file.h"
#include "engine/connection.h"
#include "engine/engine_error.h"
#include "platform/catalogue_lock.h"
#include "platform/file_identity.h"
#include "platform/japanese_fonts.h"
#include "platform/output_file.h"
#include "platform/program_info.h"
#include "platform/qt_translations.h"
#include "platform/quiet_notices.h"
#include "platform/shown_text.h"
#include "print/print_report.h"
#include "reading/catalogue_readings.h"
#include "settings/settings_file.h"
#include "store/headless_host.h"
#include "store/tdm.h"

using namespace quillo;

namespace {

int fail(const QString& message) {
    // Messages from below end without a full stop, as the error display adds one.
    const bool ended = message.endsWith(QStringLiteral("。")) || message.endsWith(QLatin1Char('.'));
    // A control character a file name brought in is written out, never acted on.
    std::fprintf(stderr, "quillo-report: %s%s\n",
                 withControlsShownButLineBreaks(message).toUtf8().constData(), ended ? "" : "。");
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    quietRuntimeFolderNotice();
    // No window is opened: the fonts are all it needs of a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The same fonts as the window prints with, and Qt's texts in Japanese.
    substituteJapaneseFonts();
    installQtTranslations();
    nameQuilloApplication();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quillo のカタログの一覧を、プログラムの印刷と同じに PDF ファイルへ"
                       "書きます: 設定ファイルの表示する列、列の幅、並び順とフォントで、"
                       "--filter の絞り込みを加えて。\n") +
        whereFilesLive());
    const QCommandLineOption help = addHelpAndVersionOptions(parser);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("書き出す PDF ファイル。"));
    const QCommandLineOption db(
        QStringLiteral("db"),
        QStringLiteral("カタログのデータベース（既定はプログラムの book.db）。"),
        QStringLiteral("path"));
    const QCommandLineOption settingsFile(
        QStringLiteral("settings"),
        QStringLiteral("設定ファイル（既定はプログラムの quillo.Ini）。"), QStringLiteral("path"));
    const QCommandLineOption landscape(QStringLiteral("landscape"),
                                       QStringLiteral("用紙を横向きにして印刷します。"));
    const QCommandLineOption paper(QStringLiteral("paper"),
                                   QStringLiteral("A4、B5（JIS B5、182 x 257 mm）、B5-ISO（176 x "
                                                  "250 mm）、A5 または Letter（既定は A4）。"),
                                   QStringLiteral("size"), QStringLiteral("A4"));
    const QCommandLineOption filter(
        QStringLiteral("filter"),
        QStringLiteral("絞り込みの対象の項目にこの文字を含む本だけを印刷します（ウィンドウの"
                       "絞り込みはその実行の間だけのもので、設定ファイルにはありません）。"),
        QStringLiteral("text"));
    parser.addOptions({db, settingsFile, landscape, paper, filter});
    parser.process(app);
    answerHelp(parser, help);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return fail(
            QStringLiteral("使い方: quillo-report ファイル.pdf [オプション]。詳しくは --help"));

    const QHash<QString, QPageSize::PageSizeId> papers{
        {QStringLiteral("A4"), QPageSize::A4},
        {QStringLiteral("B5"), QPageSize::JisB5},  // what B5 means in Japan
        {QStringLiteral("B5-ISO"), QPageSize::B5},
        {QStringLiteral("A5"), QPageSize::A5},
        {QStringLiteral("LETTER"), QPageSize::Letter}};
    const auto size = papers.constFind(parser.value(paper).toUpper());
    if (size == papers.constEnd())
        return fail(
            QStringLiteral("用紙 '%1' は使えません（A4、B5、B5-ISO、A5、Letter のどれか）。")
                .arg(parser.value(paper)));

    const QString iniPath = parser.isSet(settingsFile) ? parser.value(settingsFile)
                                                       : IniPathOf(QStringLiteral("quillo"));
    if (parser.isSet(settingsFile) && !QFileInfo::exists(iniPath))
        return fail(QStringLiteral("設定ファイル %1 がありません。").arg(iniPath));
    AppSettings settings;
    LoadSettings(iniPath, settings);
    if (!anyColumnVisible(settings))
        return fail(kNoVisibleColumn);

    if (parser.isSet(db))
        Connection::setAliasPath(QStringLiteral("book"), parser.value(db));
    const QString databasePath = Connection::aliasPath(QStringLiteral("book"));
    if (!QFileInfo(databasePath).isFile())
        return fail(QStringLiteral("カタログ %1 がありません。").arg(databasePath));
    // The PDF replaces whatever file it is given: never the catalogue or the
    // settings, however they are named.
    for (const QString& kept : {databasePath, iniPath})
        if (isSameFile(args[0], kept))
            return fail(QStringLiteral("%1 は %2 そのものです。別のファイルを指定してください。")
                            .arg(args[0], kept == databasePath ? QStringLiteral("カタログ")
                                                               : QStringLiteral("設定ファイル")));

    // Only read, and alongside the window; a window closing meanwhile does not
    // renumber the books under it.
    CatalogueLock user(databasePath, CatalogueUser::ReportTool);
    if (!user.tryAcquire(false))
        return fail(catalogueLockRefusal(user, databasePath));
    try {
        HeadlessStoreHost host;
        host.sort = settings.sort();
        if (parser.isSet(filter)) {
            // Every field the options dialog can filter on.
            host.filter = parser.value(filter);
            host.filterFlags.fill(1);
            for (int field : {FieldNo::ID, FieldNo::PubDate, FieldNo::BuyDate})
                host.filterFlags[static_cast<size_t>(field)] = 0;
        }
        TDM store(&host, TDM::FirstRead::Deferred);
        const CloseWithoutRenumbering closer(store);
        // The readings the program keeps give the 五十音 order and the kana
        // filter; the report writes nothing, so where they are not kept yet it
        // prints in JIS order.
        auto readings = std::make_unique<CatalogueReadings>(store.Database());
        readings->prepare(false);
        store.setReadings(std::move(readings));
        store.Requery();
        if (store.QueryBook().rowCount() == 0)
            return fail(QStringLiteral("印刷するレコードがありません。"));

        // The PDF replaces the file only once every page is written (a pipe
        // or a device is written into as it comes).
        OutputFile file(args[0]);
        if (file.failed())
            return fail(file.errorText());
        QPdfWriter writer(&file);
        writer.setTitle(QStringLiteral("Quilloレポート"));
        writer.setCreator(QStringLiteral("Quillo"));
        writer.setPageLayout(
            QPageLayout(QPageSize(*size),
                        parser.isSet(landscape) ? QPageLayout::Landscape : QPageLayout::Portrait,
                        QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        const DatasetReportRows rows(store.QueryBook());
        ReportRenderer report(rows, reportSetup(settings, writer.pageLayout()));
        if (!report.layout().readable)
            std::fprintf(
                stderr, "quillo-report: %s\n",
                crampedAdvice(report.layout(), parser.isSet(landscape), AdviceFor::CommandLine)
                    .toUtf8()
                    .constData());
        // Every page counted first, so each footer says "Page : N / M".
        while (!report.paginate(1000)) {
        }
        QString reason;
        if (paintReport(report, writer, 1, 1 << 30) != PaintResult::Done)
            return fail(QStringLiteral("%1 に書き込めませんでした").arg(args[0]));
        if (!file.commit(&reason))
            return fail(file.isStream() ? reason
                                        : reason + QStringLiteral("。元のファイルはそのままです"));
        return 0;
    } catch (const EngineError& e) {
        if (isDamageError(e) && e.subject().isEmpty() && !e.message().contains(databasePath))
            return fail(damagedCatalogueText(databasePath, e.message()));
        return fail(e.message());
    }
}
