#include "platform/romaji.h"

#include <QHash>

namespace quillo {

namespace {

const QHash<QString, QString>& syllables() {
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        const char* pairs[][2] = {
            {"ア", "a"},     {"イ", "i"},     {"ウ", "u"},     {"エ", "e"},     {"オ", "o"},
            {"カ", "ka"},    {"キ", "ki"},    {"ク", "ku"},    {"ケ", "ke"},    {"コ", "ko"},
            {"サ", "sa"},    {"シ", "shi"},   {"ス", "su"},    {"セ", "se"},    {"ソ", "so"},
            {"タ", "ta"},    {"チ", "chi"},   {"ツ", "tsu"},   {"テ", "te"},    {"ト", "to"},
            {"ナ", "na"},    {"ニ", "ni"},    {"ヌ", "nu"},    {"ネ", "ne"},    {"ノ", "no"},
            {"ハ", "ha"},    {"ヒ", "hi"},    {"フ", "fu"},    {"ヘ", "he"},    {"ホ", "ho"},
            {"マ", "ma"},    {"ミ", "mi"},    {"ム", "mu"},    {"メ", "me"},    {"モ", "mo"},
            {"ヤ", "ya"},    {"ユ", "yu"},    {"ヨ", "yo"},    {"ラ", "ra"},    {"リ", "ri"},
            {"ル", "ru"},    {"レ", "re"},    {"ロ", "ro"},    {"ワ", "wa"},    {"ヰ", "i"},
            {"ヱ", "e"},     {"ヲ", "o"},     {"ン", "n"},     {"ガ", "ga"},    {"ギ", "gi"},
            {"グ", "gu"},    {"ゲ", "ge"},    {"ゴ", "go"},    {"ザ", "za"},    {"ジ", "ji"},
            {"ズ", "zu"},    {"ゼ", "ze"},    {"ゾ", "zo"},    {"ダ", "da"},    {"ヂ", "ji"},
            {"ヅ", "zu"},    {"デ", "de"},    {"ド", "do"},    {"バ", "ba"},    {"ビ", "bi"},
            {"ブ", "bu"},    {"ベ", "be"},    {"ボ", "bo"},    {"パ", "pa"},    {"ピ", "pi"},
            {"プ", "pu"},    {"ペ", "pe"},    {"ポ", "po"},    {"ヴ", "vu"},    {"ァ", "a"},
            {"ィ", "i"},     {"ゥ", "u"},     {"ェ", "e"},     {"ォ", "o"},     {"ャ", "ya"},
            {"ュ", "yu"},    {"ョ", "yo"},    {"ヮ", "wa"},    {"ヵ", "ka"},    {"ヶ", "ke"},
            {"キャ", "kya"}, {"キュ", "kyu"}, {"キョ", "kyo"}, {"シャ", "sha"}, {"シュ", "shu"},
            {"ショ", "sho"}, {"チャ", "cha"}, {"チュ", "chu"}, {"チョ", "cho"}, {"ニャ", "nya"},
            {"ニュ", "nyu"}, {"ニョ", "nyo"}, {"ヒャ", "hya"}, {"ヒュ", "hyu"}, {"ヒョ", "hyo"},
            {"ミャ", "mya"}, {"ミュ", "myu"}, {"ミョ", "myo"}, {"リャ", "rya"}, {"リュ", "ryu"},
            {"リョ", "ryo"}, {"ギャ", "gya"}, {"ギュ", "gyu"}, {"ギョ", "gyo"}, {"ジャ", "ja"},
            {"ジュ", "ju"},  {"ジョ", "jo"},  {"ヂャ", "ja"},  {"ヂュ", "ju"},  {"ヂョ", "jo"},
            {"ビャ", "bya"}, {"ビュ", "byu"}, {"ビョ", "byo"}, {"ピャ", "pya"}, {"ピュ", "pyu"},
            {"ピョ", "pyo"}, {"シェ", "she"}, {"ジェ", "je"},  {"チェ", "che"}, {"ティ", "ti"},
            {"ディ", "di"},  {"デュ", "dyu"}, {"ファ", "fa"},  {"フィ", "fi"},  {"フェ", "fe"},
            {"フォ", "fo"},  {"ウィ", "wi"},  {"ウェ", "we"},  {"ウォ", "wo"},  {"ヴァ", "va"},
            {"ヴィ", "vi"},  {"ヴェ", "ve"},  {"ヴォ", "vo"},  {"ツァ", "tsa"}, {"トゥ", "tu"},
        };
        for (const auto& pair : pairs)
            t.insert(QString::fromUtf8(pair[0]), QString::fromLatin1(pair[1]));
        return t;
    }();
    return table;
}

bool isVowel(QChar c) {
    return c == u'a' || c == u'i' || c == u'u' || c == u'e' || c == u'o';
}

}  // namespace

QString hepburnRomaji(const QString& katakana) {
    const QHash<QString, QString>& table = syllables();
    QString out;
    bool doubleNext = false;  // after ッ: the next consonant is written twice
    for (qsizetype i = 0; i < katakana.size();) {
        const QChar c = katakana[i];
        if (c == QChar(0x30C3)) {
            doubleNext = true;
            ++i;
            continue;
        }
        if (c == QChar(0x30FC)) {  // ー: the vowel before, again
            if (!out.isEmpty() && isVowel(out.back()))
                out += out.back();
            ++i;
            continue;
        }
        QString syllable;
        if (i + 1 < katakana.size()) {
            const auto two = table.constFind(katakana.mid(i, 2));
            if (two != table.constEnd()) {
                syllable = *two;
                i += 2;
            }
        }
        if (syllable.isEmpty()) {
            const auto one = table.constFind(QString(c));
            syllable = one != table.constEnd() ? *one : QString(c.toLower());
            ++i;
        }
        if (doubleNext && !syllable.isEmpty() && !isVowel(syllable[0]))
            syllable.prepend(syllable.startsWith(QLatin1String("ch")) ? QChar(u't') : syllable[0]);
        doubleNext = false;
        out += syllable;
    }
    return out;
}

QString romajiMatchKey(const QString& latin) {
    const QString plain = latin.normalized(QString::NormalizationForm_KD).toLower();
    QString out;
    out.reserve(plain.size());
    for (qsizetype i = 0; i < plain.size(); ++i) {
        QChar c = plain[i];
        if (c.isMark() || c == u' ' || c == u'-' || c == u'\'' || c == QChar(0x3000))
            continue;
        const QChar next = i + 1 < plain.size() ? plain[i + 1] : QChar();
        if (c == u'm' && (next == u'b' || next == u'p' || next == u'm'))
            c = u'n';
        if (!out.isEmpty() && isVowel(c)) {
            const QChar before = out.back();
            // A long vowel is written once: oo, ou, uu, aa, ii, ee.
            if (before == c || (before == u'o' && c == u'u'))
                continue;
        }
        out += c;
    }
    return out;
}

}  // namespace quillo
