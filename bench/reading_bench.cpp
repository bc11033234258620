// Times the readings of books against their floor: the `mecab` command over the
// same titles, writers and publishers as a text file, plus the name data's
// look-ups for the same names (a full name, its family and its given name, a
// publisher). Twice: on generated books (which repeat 5,095 titles and 900
// writers, flattering every cache), and on texts each read once; then the
// preparation of a generated catalogue's readings, as its first open does it,
// against the same floor and against that floor with the sqlite3 shell
// writing the same rows into tables of the same shape.
#include <sqlite3.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSet>
#include <QTemporaryDir>

#include "bench_support.h"
#include "catalogue_generator.h"
#include "engine/text_functions.h"
#include "reading/name_index.h"
#include "reading/reading_analyzer.h"
#include "reading/reading_table.h"

using namespace quillo;
using namespace quillo::bench;

namespace {

// Family and given names enough to make thousands of writers each named once.
const QStringList kFamilies =
    QStringLiteral(
        "佐藤 鈴木 高橋 田中 伊藤 渡辺 山本 中村 小林 加藤 吉田 山田 佐々木 山口 松本 井上 木村 林 "
        "斎藤 清水 山崎 森 池田 橋本 阿部 石川 前田 藤田 小川 岡田 後藤 長谷川 石井 村上 近藤 坂本 "
        "遠藤 青木 藤井 西村 福田 太田 三浦 藤原 岡本 松田 中川 中野 原田 小野 田村 竹内 金子 和田 "
        "中山 石田 上田 森田 原 柴田 酒井 工藤 横山 宮崎 宮本 内田 高木 安藤 谷口 大野 丸山 今井 "
        "高田 藤本 武田 村田 上野 杉山 増田 平野 大塚 千葉 久保 松井 小島 岩崎 桜井 野口 松尾 野村 "
        "木下 菊地 佐野 大西 杉本 新井")
        .split(u' ');
const QStringList kGivens =
    QStringLiteral(
        "一郎 花子 健太 美咲 翔太 陽子 大輔 由美 誠 直樹 恵子 拓也 彩 和也 智子 浩二 真理 優 隆 "
        "香織 "
        "修 明美 亮 千尋 悠人 愛 剛 綾 聡 葵 学 久美子 清 幸子 茂 洋子 勝 京子 実 裕子 正 順子 進 "
        "節子 豊 和子 博 由紀子 浩 典子 武 美穂 治 真由美 昭 麻衣 稔 千秋 勇 舞 哲也 結衣 達也 "
        "陽菜 "
        "健一 さくら 光 美和 淳 沙織 徹 恵美 悟 敦子 宏 晴美 守 直美 弘 理恵 明 早苗 晃 文子 昇 "
        "美香 登 静香 孝 加奈子 信也 優子 秀樹 亜紀 達郎 絵美 賢治 瞳")
        .split(u' ');

// The `mecab` command's time over these lines, in milliseconds; -1 without it.
double mecabMs(const QStringList& lines, const QString& folder) {
    const QString input = folder + QStringLiteral("/lines.txt");
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    file.write(lines.join(u'\n').toUtf8() + '\n');
    file.close();
    QProcess mecab;
    mecab.setStandardInputFile(input);
    mecab.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    mecab.start(QStringLiteral("mecab"),
                {QStringLiteral("-d"), QStringLiteral("/var/lib/mecab/dic/ipadic-utf8")});
    if (!mecab.waitForFinished(600000) || mecab.exitCode() != 0)
        return -1;
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The name data's look-ups for each distinct name: a full name, its family
// and its given name; a publisher as a company.
double lookUpMs(const NameIndex& index, const QSet<QString>& writers,
                const QSet<QString>& publishers) {
    QElapsedTimer timer;
    timer.start();
    size_t found = 0;
    for (const QString& writer : writers) {
        const QStringList parts = writer.split(u' ');
        found += index.lookUp(parts.join(QString()), kPersonName).size();
        found += index.lookUp(parts.first(), kFamilyName).size();
        found += index.lookUp(parts.last(), kGivenName).size();
    }
    for (const QString& publisher : publishers)
        found += index.lookUp(publisher, kOrganisationName).size();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    return found == size_t(-1) ? 0 : ms;
}

// The sqlite3 shell's time to write the rows of the readings' side tables
// again, into tables of the same shape, in one transaction; -1 without it.
double writeFloorMs(const QString& db, const QString& folder) {
    sqlite3* handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(db).constData(), &handle, SQLITE_OPEN_READONLY, nullptr);
    QString script = QStringLiteral("BEGIN;\n");
    sqlite3_stmt* schema = nullptr;
    sqlite3_prepare_v2(handle,
                       "SELECT sql FROM sqlite_master WHERE tbl_name IN ('quillo_reading',"
                       " 'quillo_search') AND sql IS NOT NULL AND type IN ('table', 'index')",
                       -1, &schema, nullptr);
    while (sqlite3_step(schema) == SQLITE_ROW)
        script += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(schema, 0)))
                      .replace(QStringLiteral("quillo_"), QStringLiteral("floor_")) +
                  QStringLiteral(";\n");
    sqlite3_finalize(schema);
    sqlite3_close(handle);
    script += QStringLiteral(
        "INSERT INTO floor_reading SELECT * FROM quillo_reading;\n"
        "INSERT INTO floor_search SELECT * FROM quillo_search;\nCOMMIT;\n");
    const QString path = folder + QStringLiteral("/write-floor.sql");
    writeScript(path, script);
    QProcess shell;
    shell.setStandardInputFile(path);
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"), {db});
    if (!shell.waitForFinished(600000) || shell.exitCode() != 0)
        return -1;
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("books"), QStringLiteral("Number of books."),
                      QStringLiteral("n"), QStringLiteral("100000")});
    parser.process(app);
    const int books = parser.value(QStringLiteral("books")).toInt();
    std::vector<BookRecord> records;
    records.reserve(static_cast<size_t>(books));
    CatalogueGenerator generator;
    for (int i = 0; i < books; ++i)
        records.push_back(generator.next(i + 1));
    QTemporaryDir dir;

    const ReadingAnalyzer analyzer;
    if (analyzer.limited()) {
        std::fprintf(stderr, "%s\n", qPrintable(analyzer.limitation()));
        return 1;
    }
    const std::unique_ptr<NameIndex> index = NameIndex::open(sharedNameIndexPath());
    if (!index) {
        std::fprintf(stderr, "no name data (enamdict, skkdic-extra, kanjidic)\n");
        return 1;
    }

    // Generated books: every title, writer and publisher, as a first open reads them.
    QElapsedTimer timer;
    timer.start();
    qsizetype length = 0;  // so the readings are not optimised away
    for (const BookRecord& book : records) {
        length += analyzer.reading(book.fields[FieldNo::Title], ReadingKind::Text).size();
        length += analyzer.reading(book.fields[FieldNo::Writer], ReadingKind::Name).size();
        length +=
            analyzer.reading(book.fields[FieldNo::Publisher], ReadingKind::Organisation).size();
    }
    const double readMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    QStringList lines;
    QSet<QString> writers, publishers;
    for (const BookRecord& book : records) {
        lines << book.fields[FieldNo::Title] << book.fields[FieldNo::Writer]
              << book.fields[FieldNo::Publisher];
        writers.insert(book.fields[FieldNo::Writer]);
        publishers.insert(book.fields[FieldNo::Publisher]);
    }
    const double floorMs = mecabMs(lines, dir.path()) + lookUpMs(*index, writers, publishers);
    report("readings_ms", readMs);
    report("readings_floor_ms", floorMs);
    report("readings_vs_floor_x100", 100 * readMs / floorMs);

    // Texts each read once, by an analyzer that has read nothing yet.
    QStringList titles, names;
    for (int i = 0; titles.size() < 12000; ++i) {
        const BookRecord book = generator.next(i);
        titles << book.fields[FieldNo::Title] + QStringLiteral(" %1").arg(QString::number(i));
    }
    for (const QString& family : kFamilies)
        for (const QString& given : kGivens)
            names << family + u' ' + given;
    const ReadingAnalyzer fresh;
    timer.restart();
    for (const QString& title : titles)
        length += fresh.reading(title, ReadingKind::Text).size();
    for (const QString& name : names)
        length += fresh.reading(name, ReadingKind::Name).size();
    const double distinctMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double distinctFloorMs = mecabMs(titles + names, dir.path()) +
                                   lookUpMs(*index, QSet<QString>(names.begin(), names.end()), {});
    report("distinct_texts", static_cast<double>(titles.size() + names.size()));
    report("distinct_readings_ms", distinctMs);
    report("distinct_floor_ms", distinctFloorMs);
    report("distinct_vs_floor_x100", 100 * distinctMs / distinctFloorMs);
    report("reading_chars", static_cast<double>(length));

    // A catalogue without readings, prepared as on its first open: every book
    // read and written beside the book table in one transaction.
    const QString db = dir.filePath(QStringLiteral("book.db"));
    generateCatalogue(db, books);
    sqlite3* handle = nullptr;
    sqlite3_open_v2(QFile::encodeName(db).constData(), &handle,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    registerTextFunctions(handle);
    const ReadingAnalyzer preparing;
    timer.restart();
    sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    ReadingTable table(handle);
    table.create(preparing);
    table.sync(preparing);
    sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
    const double prepareMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    sqlite3_close(handle);
    report("prepare_readings_ms", prepareMs);
    report("prepare_vs_floor_x100", 100 * prepareMs / floorMs);
    const double writeMs = writeFloorMs(db, dir.path());
    report("prepare_write_floor_ms", writeMs);
    report("prepare_vs_floor_with_writes_x100", 100 * prepareMs / (floorMs + writeMs));
    return 0;
}
