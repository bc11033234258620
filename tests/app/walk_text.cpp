#include "walk_text.h"

#include <iconv.h>

#include <QByteArray>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace walk_text {

namespace {

// Pairs of characters: each even one stands for the odd one after it.
QChar mapped(const QString& pairs, QChar c, bool* found = nullptr) {
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        if (pairs[i] == c) {
            if (found)
                *found = true;
            return pairs[i + 1];
        }
    }
    if (found)
        *found = false;
    return c;
}

const QString kHalfWidth = QStringLiteral(
    "ｦヲｧァｨィｩゥｪェｫォｬャｭュｮョｯッｰーｱアｲイｳウｴエｵオｶカｷキｸクｹケｺコｻサｼシｽスｾセｿソ"
    "ﾀタﾁチﾂツﾃテﾄトﾅナﾆニﾇヌﾈネﾉノﾊハﾋヒﾌフﾍヘﾎホﾏマﾐミﾑムﾒメﾓモﾔヤﾕユﾖヨﾗラﾘリﾙルﾚレﾛロﾜワﾝン");
const QString kVoicedOf = QStringLiteral(
    "カガキギクグケゲコゴサザシジスズセゼソゾタダチヂツヅテデトドハバヒビフブヘベホボウヴ");
const QString kSemiVoicedOf = QStringLiteral("ハパヒピフプヘペホポ");

}  // namespace

QString fold(const QString& text) {
    QString out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E && c != QChar(0xFF5E))
            c = QChar(char16_t(u - 0xFEE0));  // full-width ASCII
        else if (u >= 0x3041 && u <= 0x3096)
            c = QChar(char16_t(u + 0x60));  // hiragana
        else if (u == 0x301C)
            c = QChar(0xFF5E);  // 〜
        if (c == QChar(0xFF9E) || c == QChar(0xFF9F)) {
            bool found = false;
            const QChar voiced =
                out.isEmpty()
                    ? c
                    : mapped(c == QChar(0xFF9E) ? kVoicedOf : kSemiVoicedOf, out.back(), &found);
            if (found) {
                out.back() = voiced;
                continue;
            }
        }
        c = mapped(kHalfWidth, c);
        out.append(c.unicode() < 0x80 ? c.toLower() : c);
    }
    return out;
}

bool isKana(const QString& folded) {
    return std::all_of(folded.begin(), folded.end(), [](QChar c) {
        return (c >= QChar(0x30A1) && c <= QChar(0x30F6)) || c == QChar(0x30FC) ||
               c == QChar(0x30FB) || c == u' ' || c == QChar(0x3000);
    });
}

namespace {

// Katakana and their romaji, the two-kana sounds first.
const std::vector<std::pair<QString, QString>>& romajiTable() {
    static const std::vector<std::pair<QString, QString>> table = [] {
        std::vector<std::pair<QString, QString>> t;
        const char* const pairs[] = {
            "キャ", "kya",  "キュ", "kyu",  "キョ", "kyo",  "シャ", "sha",  "シュ", "shu",  "ショ",
            "sho",  "チャ", "cha",  "チュ", "chu",  "チョ", "cho",  "ニャ", "nya",  "ニュ", "nyu",
            "ニョ", "nyo",  "ヒャ", "hya",  "ヒュ", "hyu",  "ヒョ", "hyo",  "ミャ", "mya",  "ミュ",
            "myu",  "ミョ", "myo",  "リャ", "rya",  "リュ", "ryu",  "リョ", "ryo",  "ギャ", "gya",
            "ギュ", "gyu",  "ギョ", "gyo",  "ジャ", "ja",   "ジュ", "ju",   "ジョ", "jo",   "ビャ",
            "bya",  "ビュ", "byu",  "ビョ", "byo",  "ピャ", "pya",  "ピュ", "pyu",  "ピョ", "pyo",
            "ア",   "a",    "イ",   "i",    "ウ",   "u",    "エ",   "e",    "オ",   "o",    "カ",
            "ka",   "キ",   "ki",   "ク",   "ku",   "ケ",   "ke",   "コ",   "ko",   "サ",   "sa",
            "シ",   "shi",  "ス",   "su",   "セ",   "se",   "ソ",   "so",   "タ",   "ta",   "チ",
            "chi",  "ツ",   "tsu",  "テ",   "te",   "ト",   "to",   "ナ",   "na",   "ニ",   "ni",
            "ヌ",   "nu",   "ネ",   "ne",   "ノ",   "no",   "ハ",   "ha",   "ヒ",   "hi",   "フ",
            "fu",   "ヘ",   "he",   "ホ",   "ho",   "マ",   "ma",   "ミ",   "mi",   "ム",   "mu",
            "メ",   "me",   "モ",   "mo",   "ヤ",   "ya",   "ユ",   "yu",   "ヨ",   "yo",   "ラ",
            "ra",   "リ",   "ri",   "ル",   "ru",   "レ",   "re",   "ロ",   "ro",   "ワ",   "wa",
            "ヲ",   "o",    "ン",   "n",    "ガ",   "ga",   "ギ",   "gi",   "グ",   "gu",   "ゲ",
            "ge",   "ゴ",   "go",   "ザ",   "za",   "ジ",   "ji",   "ズ",   "zu",   "ゼ",   "ze",
            "ゾ",   "zo",   "ダ",   "da",   "ヂ",   "ji",   "ヅ",   "zu",   "デ",   "de",   "ド",
            "do",   "バ",   "ba",   "ビ",   "bi",   "ブ",   "bu",   "ベ",   "be",   "ボ",   "bo",
            "パ",   "pa",   "ピ",   "pi",   "プ",   "pu",   "ペ",   "pe",   "ポ",   "po",   "ァ",
            "a",    "ィ",   "i",    "ゥ",   "u",    "ェ",   "e",    "ォ",   "o",    "ャ",   "ya",
            "ュ",   "yu",   "ョ",   "yo",   "ヴ",   "vu",
        };
        for (std::size_t i = 0; i + 1 < std::size(pairs); i += 2)
            t.emplace_back(QString::fromUtf8(pairs[i]), QString::fromUtf8(pairs[i + 1]));
        return t;
    }();
    return table;
}

}  // namespace

QString romaji(const QString& katakana) {
    QString out;
    bool doubleNext = false;
    for (qsizetype i = 0; i < katakana.size();) {
        if (katakana[i] == QChar(0x30C3)) {  // ッ
            doubleNext = true;
            ++i;
            continue;
        }
        if (katakana[i] == QChar(0x30FC)) {  // ー
            if (!out.isEmpty())
                out.append(out.back());
            ++i;
            continue;
        }
        QString sound = katakana[i].toLower();
        qsizetype length = 1;
        for (const auto& [kana, latin] : romajiTable()) {
            if (katakana.mid(i, kana.size()) == kana) {
                sound = latin;
                length = kana.size();
                break;
            }
        }
        if (doubleNext && !sound.isEmpty() && sound[0].isLetter())
            sound.prepend(sound[0] == u'c' ? QChar(u't') : sound[0]);
        doubleNext = false;
        out += sound;
        i += length;
    }
    return out;
}

QString romajiKey(const QString& latin) {
    QString key;
    for (QChar c : latin.toLower()) {
        if (c == u' ' || c == u'-' || c == u'\'')
            continue;
        key.append(mapped(QStringLiteral("āaīiūuēeōo"), c));
    }
    for (const char* longVowel : {"ou", "oo", "uu", "aa", "ii", "ee"})
        while (key.contains(QLatin1String(longVowel)))
            key.replace(QLatin1String(longVowel), QString(QLatin1Char(longVowel[0])));
    for (const char* m : {"mb", "mp", "mm"})
        key.replace(QLatin1String(m), QStringLiteral("n") + QLatin1Char(m[1]));
    return key;
}

namespace {

// 1 small, 2 plain, 3 voiced, 4 semi-voiced, 5 lengthened.
struct Sorted {
    std::vector<int> plain;
    std::vector<int> variant;
};

const QString kGojuon = QStringLiteral(
    "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン");
const QString kSmallOf = QStringLiteral("ァアィイゥウェエォオッツャヤュユョヨヮワヵカヶケ");
const QString kPlainOfVoiced = QStringLiteral(
    "ガカギキグクゲケゴコザサジシズスゼセゾソダタヂチヅツデテドトバハビヒブフベヘボホヴウ");
const QString kPlainOfSemiVoiced = QStringLiteral("パハピヒプフペヘポホ");
const QString kOldKana = QStringLiteral("ヰイヱエヲオ");
const QString kVowelRows[] = {
    QStringLiteral("アカサタナハマヤラワ"), QStringLiteral("イキシチニヒミリ"),
    QStringLiteral("ウクスツヌフムユル"), QStringLiteral("エケセテネヘメレ"),
    QStringLiteral("オコソトノホモヨロ")};

Sorted sorted(const QString& reading) {
    Sorted s;
    QChar last;
    for (QChar c : reading) {
        bool small = false, voiced = false, semi = false;
        QChar plain = mapped(kSmallOf, c, &small);
        if (!small)
            plain = mapped(kPlainOfVoiced, c, &voiced);
        if (!small && !voiced)
            plain = mapped(kPlainOfSemiVoiced, c, &semi);
        plain = mapped(kOldKana, plain);
        int variant = small ? 1 : voiced ? 3 : semi ? 4 : 2;
        if (c == QChar(0x30FC) && !last.isNull()) {
            variant = 5;
            plain = last;
            for (int v = 0; v < 5; ++v)
                if (kVowelRows[v].contains(last))
                    plain = kGojuon[v];
        }
        const qsizetype kana = kGojuon.indexOf(plain);
        if (kana >= 0) {
            s.plain.push_back(10 + int(kana));
            last = plain;
        } else {
            variant = 2;
            last = QChar();
            if (c == u' ' || c == QChar(0x3000))
                s.plain.push_back(1);
            else if (c.unicode() < 0x80)
                s.plain.push_back(0x20000 + c.toLower().unicode());
            else
                s.plain.push_back(0x10000 + c.unicode());
        }
        s.variant.push_back(variant);
    }
    return s;
}

template <typename T>
int threeWay(const T& a, const T& b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

QByteArray cp932(const QString& text) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == iconv_t(-1))
        qFatal("iconv cannot write CP932");
    QByteArray in = text.toUtf8(), out(in.size() * 2 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = size_t(in.size()), outLeft = size_t(out.size());
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1))
        qFatal("iconv cannot write the walk's text in CP932");
    iconv_close(cd);
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}

}  // namespace

// A reading whose text ends in one digit, read as that digit or as its word,
// sorts that digit by its value, after a blank and before any kana.
Sorted sortedWithNumber(const QString& text, const QString& reading) {
    static const QStringList words{QStringLiteral("ゼロ"), QStringLiteral("イチ"),
                                   QStringLiteral("ニ")};
    const int digit = text.isEmpty() ? -1 : text.back().digitValue();
    if (digit >= 0 && digit < words.size()) {
        for (const QString& word : QStringList{words[digit], QString::number(digit)}) {
            if (!reading.endsWith(word))
                continue;
            Sorted s = sorted(reading.chopped(word.size()));
            s.plain.insert(s.plain.end(), {2, 1, digit});
            s.variant.push_back(2);
            return s;
        }
    }
    return sorted(reading);
}

int compareReadings(const QString& a, const QString& b) {
    return compareReadings(QString(), a, QString(), b);
}

int compareReadings(const QString& textA, const QString& a, const QString& textB,
                    const QString& b) {
    const Sorted x = sortedWithNumber(textA, a), y = sortedWithNumber(textB, b);
    if (const int plain = threeWay(x.plain, y.plain))
        return plain;
    return threeWay(x.variant, y.variant);
}

int compareJis(const QString& a, const QString& b) {
    return threeWay(cp932(a), cp932(b));
}

}  // namespace walk_text
