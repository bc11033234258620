#include "catalogue_generator.h"

#include <QStringList>

#include "engine/catalogue_file.h"
#include "engine/connection.h"
#include "engine/statement.h"
#include "store/book_table.h"

namespace quillo::bench {

namespace {

QStringList words(const char* text) {
    return QString::fromUtf8(text).split(QLatin1Char(' '));
}

const QStringList kTitleHeads = words(
    "夜明け前の 春の 失われた 東京の 星の 風の 海辺の 静かな 遠い 小さな 最後の 名もなき "
    "硝子の 雪国の 真夜中の 青い 白い 古都の 月夜の 秋の");
const QStringList kTitleTails = words(
    "物語 旅 記憶 庭 手紙 街 歌 森 約束 肖像 航海 図書館 時計 迷宮 晩餐 標本 季節 家族 地図 "
    "灯台");
const QStringList kFamily = words(
    "佐藤 鈴木 高橋 田中 伊藤 渡辺 山本 中村 小林 加藤 吉田 山田 佐々木 山口 松本 井上 木村 "
    "林 斎藤 清水 山崎 森 池田 橋本 阿部 石川 前田 藤田 小川 岡田");
const QStringList kGiven = words(
    "一郎 花子 健太 美咲 翔太 陽子 大輔 由美 誠 直樹 恵子 拓也 彩 和也 智子 浩二 真理 優 "
    "隆 香織 修 明美 亮 千尋 悠人 愛 剛 綾 聡 葵");
const QStringList kPublishers = words(
    "岩波書店 新潮社 講談社 集英社 文藝春秋 角川書店 筑摩書房 河出書房新社 中央公論新社 "
    "早川書房 東京創元社 白水社");
const QStringList kKinds = words("小説 随筆 詩集 評論 歴史 科学 美術 旅行 料理 児童書 漫画 辞典");
const QStringList kMemos = words("初版 帯付き 署名本 函入り 古書店で購入 贈呈本 再読したい");

}  // namespace

unsigned CatalogueGenerator::pick(unsigned n) {
    m_state = m_state * 1103515245u + 12345u;
    return (m_state >> 8) % n;
}

BookRecord CatalogueGenerator::next(qint64 id) {
    auto from = [this](const QStringList& list) { return list[pick(list.size())]; };
    auto person = [&] { return from(kFamily) + QLatin1Char(' ') + from(kGiven); };
    auto date = [&]() -> QString {
        if (pick(5) == 0)
            return {};
        return QString::asprintf("%04u/%02u/%02u", 1950 + pick(76), 1 + pick(12), 1 + pick(28));
    };
    BookRecord book;
    book.id = id;
    auto& f = book.fields;
    f[FieldNo::Title] = from(kTitleHeads) + from(kTitleTails);
    if (pick(4) == 0)
        f[FieldNo::Title] += QStringLiteral(" 第%1巻").arg(1 + pick(12));
    f[FieldNo::Writer] = person();
    f[FieldNo::Publisher] = from(kPublishers);
    f[FieldNo::PubDate] = date();
    f[FieldNo::BuyDate] = date();
    if (pick(3) == 0)
        f[FieldNo::SubTitle] = from(kTitleTails) + QStringLiteral("をめぐって");
    f[FieldNo::Kind] = from(kKinds);
    if (pick(6) == 0)
        f[FieldNo::Translator] = person();
    if (pick(4) == 0)
        f[FieldNo::Memo] = from(kMemos);
    if (pick(5) == 0)
        f[FieldNo::Writer2] = person();
    if (pick(20) == 0)
        f[FieldNo::Writer3] = person();
    return book;
}

void generateCatalogue(const QString& path, int count, unsigned seed) {
    Connection::setAliasPath(QStringLiteral("bench-generator"), path);
    CreateCatalogueIfMissing(path);
    Connection connection(QStringLiteral("bench-generator"));
    TransactionGuard transaction(connection);
    Statement insert(
        connection.handle(),
        {QStringLiteral("insert into quillo values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                        "?, ?)")});
    CatalogueGenerator generator(seed);
    for (int i = 1; i <= count; ++i) {
        const BookRecord book = generator.next(3 * i);
        insert.reset();
        insert.bindInteger(1, book.id);
        for (int k = 1; k < kFieldCount; ++k) {
            QString value = book.fields[static_cast<size_t>(k)];
            if (isDateField(k))
                value.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (value.isEmpty())
                insert.bindNull(k + 1);
            else
                insert.bindText(k + 1, value.toUtf8());
        }
        insert.step();
    }
    transaction.commit();
}

}  // namespace quillo::bench
