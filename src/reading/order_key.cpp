#include "reading/order_key.h"

#include <QStringList>
#include <optional>

#include "reading/number_reading.h"

namespace quillo {

namespace {

// What stands between a number and the end of its text without a reading of
// its own (blanks, brackets, a full stop), in the text and in the reading.
bool isSilent(QChar c) {
    static const QString silent = QStringLiteral(" \u3000()（）[]［］「」『』【】〔〕.,．，・-‐―");
    return silent.contains(c);
}

bool isDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19);
}

int digitValue(QChar c) {
    return c.unicode() >= 0xFF10 ? c.unicode() - 0xFF10 : c.unicode() - u'0';
}

int kanjiDigit(QChar c) {
    static const QString digits = QStringLiteral("〇一二三四五六七八九");
    return static_cast<int>(digits.indexOf(c));
}

int kanjiUnit(QChar c) {
    return c == u'十' ? 10 : c == u'百' ? 100 : c == u'千' ? 1000 : 0;
}

bool isKanjiNumeral(QChar c) {
    return kanjiDigit(c) >= 0 || kanjiUnit(c) > 0;
}

// 十二 12, 二十 20, 千九百八十四 1984, 三〇 30.
std::optional<quint64> kanjiNumeralValue(const QString& numeral) {
    quint64 total = 0, digits = 0;
    bool any = false, plain = true;
    for (const QChar c : numeral) {
        if (const int d = kanjiDigit(c); d >= 0) {
            digits = digits * 10 + static_cast<quint64>(d);
            any = true;
        } else {
            plain = false;
            total += (any ? digits : 1) * static_cast<quint64>(kanjiUnit(c));
            digits = 0;
            any = false;
        }
    }
    return plain ? digits : total + digits;
}

// The counters a volume's number goes with, and how each is read.
const QList<std::pair<QChar, QStringList>>& counters() {
    static const QList<std::pair<QChar, QStringList>> all{
        {u'巻', {QStringLiteral("カン"), QStringLiteral("マキ")}},
        {u'冊', {QStringLiteral("サツ")}},
        {u'号', {QStringLiteral("ゴウ")}},
        {u'部', {QStringLiteral("ブ")}},
        {u'集', {QStringLiteral("シュウ")}},
        {u'話', {QStringLiteral("ワ")}},
        {u'章', {QStringLiteral("ショウ")}},
        {u'編', {QStringLiteral("ヘン"), QStringLiteral("ペン")}},
        {u'弾', {QStringLiteral("ダン")}},
        {u'回', {QStringLiteral("カイ")}}};
    return all;
}

// A number's reading and the ways a counter after it may change its end:
// イチ as イッ (一巻 イッカン), ジュウ as ジュッ or ジッ.
QStringList withSoundChanges(const QString& reading) {
    QStringList all{reading};
    if (reading.endsWith(u'チ') || reading.endsWith(u'ク'))
        all << reading.chopped(1) + u'ッ';
    if (reading.endsWith(QStringLiteral("ジュウ")))
        all << reading.chopped(2) + QStringLiteral("ュッ")
            << reading.chopped(3) + QStringLiteral("ジッ");
    return all;
}

// A number at the end of a text, with the ways its reading may be written.
struct Found {
    qsizetype from = 0;  // where it starts in the text, 第 included
    quint64 value = 0;
    QStringList readings;           // of the number itself
    QStringList counterReadings{};  // of the counter after it; one empty for none
    bool ordinal = false;           // 第 before it
};

std::optional<Found> numberAtEnd(const QString& text, qsizetype end) {
    // A volume's word: 上 中 下, 前編 中編 後編, on its own.
    static const QList<std::pair<QString, std::pair<quint64, QStringList>>> volumes{
        {QStringLiteral("前編"), {1, {QStringLiteral("ゼンペン")}}},
        {QStringLiteral("中編"), {2, {QStringLiteral("チュウヘン")}}},
        {QStringLiteral("後編"), {3, {QStringLiteral("コウヘン")}}},
        {QStringLiteral("上巻"), {1, {QStringLiteral("ジョウカン")}}},
        {QStringLiteral("中巻"), {2, {QStringLiteral("チュウカン")}}},
        {QStringLiteral("下巻"), {3, {QStringLiteral("ゲカン")}}},
        {QStringLiteral("上"), {1, {QStringLiteral("ジョウ"), QStringLiteral("ウエ")}}},
        {QStringLiteral("中"), {2, {QStringLiteral("チュウ"), QStringLiteral("ナカ")}}},
        {QStringLiteral("下"), {3, {QStringLiteral("ゲ"), QStringLiteral("シタ")}}}};
    const QString head = text.left(end);
    for (const auto& [word, read] : volumes) {
        const qsizetype from = end - word.size();
        if (head.endsWith(word) && (from == 0 || isSilent(text[from - 1])))
            return Found{from, read.first, read.second, {QString()}};
    }
    Found found;
    qsizetype at = end;
    for (const auto& [counter, read] : counters()) {
        if (at > 0 && text[at - 1] == counter) {
            found.counterReadings = read;
            --at;
            break;
        }
    }
    const bool counted = !found.counterReadings.isEmpty();
    if (!counted)
        found.counterReadings = {QString()};
    qsizetype from = at;
    if (from > 0 && isDigit(text[from - 1])) {
        while (from > 0 && isDigit(text[from - 1]) && at - from < 18)
            --from;
        QString digits;
        for (qsizetype i = from; i < at; ++i)
            digits += QChar(u'0' + digitValue(text[i]));
        found.value = digits.toULongLong();
        found.readings = withSoundChanges(numberReading(digits));
        found.readings << digits << text.mid(from, at - from);
    } else if (from > 0 && text[from - 1].unicode() >= 0x2160 &&
               text[from - 1].unicode() <= 0x216B) {
        --from;  // Ⅰ to Ⅻ
        found.value = text[from].unicode() - 0x2160 + 1;
        found.readings = {numberReading(QString::number(found.value)), QString(text[from])};
    } else if (from > 0 && isKanjiNumeral(text[from - 1])) {
        while (from > 0 && isKanjiNumeral(text[from - 1]) && at - from < 8)
            --from;
        // Kanji numerals count a volume only as one (第十二巻, 十二冊), not
        // inside a word or a name.
        if (!counted && !(from > 0 && text[from - 1] == u'第'))
            return std::nullopt;
        const std::optional<quint64> value = kanjiNumeralValue(text.mid(from, at - from));
        if (!value)
            return std::nullopt;
        found.value = *value;
        found.readings = withSoundChanges(numberReading(QString::number(*value)));
        found.readings << text.mid(from, at - from);
    } else {
        return std::nullopt;
    }
    found.ordinal = from > 0 && text[from - 1] == u'第';
    found.from = found.ordinal ? from - 1 : from;
    return found;
}

qsizetype withoutSilentEnd(const QString& text, qsizetype end) {
    while (end > 0 && isSilent(text[end - 1]))
        --end;
    return end;
}

}  // namespace

QList<NumberInReading> numbersInReading(const QString& text, const QString& reading) {
    QList<NumberInReading> numbers;
    qsizetype textEnd = text.size(), readingEnd = reading.size();
    // From the end, as long as each number's reading stands where it should.
    for (;;) {
        textEnd = withoutSilentEnd(text, textEnd);
        readingEnd = withoutSilentEnd(reading, readingEnd);
        const std::optional<Found> found = numberAtEnd(text, textEnd);
        if (!found)
            break;
        const QString head = reading.left(readingEnd);
        std::optional<NumberInReading> placed;
        for (const QString& number : found->readings) {
            for (const QString& counter : found->counterReadings) {
                if (!number.isEmpty() && head.endsWith(number + counter)) {
                    placed = NumberInReading{readingEnd - counter.size() - number.size(),
                                             number.size(), found->value};
                    break;
                }
            }
            if (placed)
                break;
        }
        if (!placed)
            break;
        numbers.prepend(*placed);
        readingEnd = placed->from;
        if (found->ordinal && reading.left(readingEnd).endsWith(QStringLiteral("ダイ")))
            readingEnd -= 2;
        textEnd = found->from;
    }
    return numbers;
}

QByteArray readingOrderKey(const QString& text, const QString& reading) {
    return QByteArray(kOrderKeyMark) + kanaOrderKey(reading, numbersInReading(text, reading));
}

}  // namespace quillo
