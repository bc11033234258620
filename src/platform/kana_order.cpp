#include "platform/kana_order.h"

#include "platform/latin_letters.h"

namespace quillo {

namespace {

// An accented Latin letter sorts after its plain one, as a voiced kana does.
enum Variant : char { Small = 1, Plain = 2, Voiced = 3, SemiVoiced = 4, Long = 5, Accented = 6 };

// The plain kana of a full-width katakana and how it differs from it.
struct Kana {
    char16_t plain = 0;
    Variant variant = Plain;
};

Kana kanaOf(char16_t c) {
    if (c >= 0x30A1 && c <= 0x30AA)  // ァアィイゥウェエォオ
        return (c - 0x30A1) % 2 == 0 ? Kana{char16_t(c + 1), Small} : Kana{c, Plain};
    if (c >= 0x30AB && c <= 0x30C2)  // カガ … チヂ
        return (c - 0x30AB) % 2 == 0 ? Kana{c, Plain} : Kana{char16_t(c - 1), Voiced};
    if (c == 0x30C3)
        return {0x30C4, Small};      // ッ
    if (c >= 0x30C4 && c <= 0x30C9)  // ツヅテデトド
        return (c - 0x30C4) % 2 == 0 ? Kana{c, Plain} : Kana{char16_t(c - 1), Voiced};
    if (c >= 0x30CA && c <= 0x30CE)
        return {c, Plain};             // ナ行
    if (c >= 0x30CF && c <= 0x30DD) {  // ハバパ … ホボポ
        const int step = (c - 0x30CF) % 3;
        return {char16_t(c - step), step == 0 ? Plain : step == 1 ? Voiced : SemiVoiced};
    }
    if (c >= 0x30DE && c <= 0x30E2)
        return {c, Plain};           // マ行
    if (c >= 0x30E3 && c <= 0x30E8)  // ャヤュユョヨ
        return (c - 0x30E3) % 2 == 0 ? Kana{char16_t(c + 1), Small} : Kana{c, Plain};
    if (c >= 0x30E9 && c <= 0x30ED)
        return {c, Plain};  // ラ行
    if (c == 0x30EE)
        return {0x30EF, Small};  // ヮ
    // ヰ ヱ ヲ are filed as イ エ オ, as libraries file them.
    if (c == 0x30F0)
        return {0x30A4, Plain};
    if (c == 0x30F1)
        return {0x30A8, Plain};
    if (c == 0x30F2)
        return {0x30AA, Plain};
    if (c == 0x30EF || c == 0x30F3)
        return {c, Plain};  // ワ ン
    if (c == 0x30F4)
        return {0x30A6, Voiced};  // ヴ
    if (c == 0x30F5)
        return {0x30AB, Small};  // ヵ
    if (c == 0x30F6)
        return {0x30B1, Small};        // ヶ
    if (c >= 0x30F7 && c <= 0x30FA) {  // ヷヸヹヺ: voiced ワ イ エ オ
        static const char16_t plain[] = {0x30EF, 0x30A4, 0x30A8, 0x30AA};
        return {plain[c - 0x30F7], Voiced};
    }
    return {0, Plain};
}

// The vowel (ア イ ウ エ オ) a kana ends in, for the long vowel mark after it.
char16_t vowelOf(char16_t plain) {
    static const char16_t vowels[] = u"アイウエオ";
    if (plain >= 0x30A2 && plain <= 0x30AA)
        return plain;
    if (plain == 0x30F3)
        return 0x30F3;  // ン lengthened stays ン
    static const QString rows[] = {QStringLiteral("アカサタナハマラガザダバパ"),
                                   QStringLiteral("イキシチニヒミリギジヂビピ"),
                                   QStringLiteral("ウクスツヌフムユルグズヅブプ"),
                                   QStringLiteral("エケセテネヘメレゲゼデベペ"),
                                   QStringLiteral("オコソトノホモヨロヲゴゾドボポ")};
    for (int v = 0; v < 5; ++v)
        if (rows[v].contains(QChar(plain)) || (v == 0 && (plain == 0x30E4 || plain == 0x30EF)))
            return vowels[v];
    return 0;
}

// The primary key is one byte a kana, so keys stay short and the list sorts
// by them quickly: 0 ends the key, 1 is a blank, 2 starts a number (its count
// of digits, then the digits: 2 before 10), 3 onwards the plain kana in their
// order; (unread) kanji and other text follow as 0x60 and their code, Latin
// letters and digits come last as 0x80 and their lower-case code.
constexpr char16_t kFirstKana = 0x30A1;
constexpr char kBlank = 1, kNumber = 2, kKanaBase = 3, kOther = 0x60;

void appendNumber(QByteArray& key, quint64 value) {
    const QByteArray digits = QByteArray::number(value);
    key.append(kNumber);
    key.append(static_cast<char>(digits.size()));
    key.append(digits);
}
constexpr unsigned char kAscii = 0x80;

void appendKana(QByteArray& key, char16_t plain) {
    key.append(static_cast<char>(kKanaBase + (plain - kFirstKana)));
}

void appendOther(QByteArray& key, char16_t c) {
    // An accented Latin letter sorts as its plain one (Gödel among the G's).
    if (const char16_t plain = latinBase(c))
        c = plain;
    if (c == u' ' || c == 0x3000) {
        key.append(kBlank);
    } else if (c < 0x80) {
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
        key.append(static_cast<char>(kAscii + c));
    } else {
        key.append(kOther);
        key.append(static_cast<char>(c >> 8));
        key.append(static_cast<char>(c & 0xFF));
    }
}

}  // namespace

QByteArray kanaOrderKey(const QString& katakana, const QList<NumberInReading>& numbers) {
    QByteArray primary, variants;
    primary.reserve(katakana.size() + 2);
    char16_t last = 0;
    auto number = numbers.cbegin();
    for (qsizetype i = 0; i < katakana.size(); ++i) {
        while (number != numbers.cend() && number->from < i)
            ++number;
        if (number != numbers.cend() && number->from == i && number->length > 0) {
            appendNumber(primary, number->value);
            variants.append(char(Plain));
            i += number->length - 1;
            last = 0;
            continue;
        }
        const char16_t c = katakana[i].unicode();
        Kana kana = kanaOf(c);
        if (c == 0x30FC && last) {  // ー: the vowel it lengthens
            kana = {vowelOf(last), Long};
        } else if ((c == 0x30FD || c == 0x30FE) && last) {  // ヽ ヾ: the kana before
            kana = {last, c == 0x30FE ? Voiced : Plain};
        }
        if (kana.plain) {
            appendKana(primary, kana.plain);
            variants.append(kana.variant);
            last = kana.plain;
        } else {
            appendOther(primary, c);
            variants.append(char(latinBase(c) ? Accented : Plain));
            last = 0;
        }
    }
    // An end below every character, so a reading sorts before its longer
    // forms; the variants then decide only between equal plain kana.
    primary.append('\0');
    return primary + variants;
}

QString plainKana(const QString& katakana) {
    QString plain;
    plain.reserve(katakana.size());
    char16_t last = 0;
    for (const QChar ch : katakana) {
        const char16_t c = ch.unicode();
        if (c == u' ' || c == 0x3000)
            continue;
        char16_t p = kanaOf(c).plain;
        if (c == 0x30FC && last)
            p = vowelOf(last);
        plain.append(p ? QChar(p) : ch);
        last = p;
    }
    return plain;
}

QString kanaRowName(int row) {
    static const char16_t names[] = u"あかさたなはまやらわ";
    return row >= 0 && row < 10 ? QString(QChar(names[row])) + QStringLiteral("行") : QString();
}

int kanaRow(const QString& katakana) {
    if (katakana.isEmpty())
        return -1;
    const char16_t plain = kanaOf(katakana[0].unicode()).plain;
    if (!plain)
        return -1;
    static const char16_t starts[] = {0x30A2, 0x30AB, 0x30B5, 0x30BF, 0x30CA,
                                      0x30CF, 0x30DE, 0x30E4, 0x30E9, 0x30EF};
    int row = -1;
    for (int i = 0; i < 10; ++i)
        if (plain >= starts[i])
            row = i;
    return row;
}

}  // namespace quillo
