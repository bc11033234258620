#include "reading/reading_analyzer.h"

#include <mecab.h>

#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include "reading/kana_text.h"

namespace quillo {

namespace {

// How many of MeCab's best analyses a name part is looked for in.
constexpr int kNameAnalyses = 30;
// How many readings are kept before the store of them starts again.
constexpr qsizetype kKnownReadings = 200000;

struct Token {
    QString surface;
    QStringList feature;  // 品詞,細分類1,細分類2,細分類3,活用型,活用形,原形,読み,発音
    QString reading() const {
        if (feature.size() > 7 && feature[7] != QLatin1String("*"))
            return feature[7];
        return katakanaReading(surface);
    }
    bool isPersonName() const { return feature.size() > 3 && feature[2] == QStringLiteral("人名"); }
    bool isNoun() const { return !feature.isEmpty() && feature[0] == QStringLiteral("名詞"); }
    bool hasReading() const { return feature.size() > 7 && feature[7] != QLatin1String("*"); }
};

bool isBlank(QChar c) {
    return c == u' ' || c == QChar(0x3000);
}

}  // namespace

struct ReadingAnalyzer::MeCabParts {
    std::unique_ptr<MeCab::Model> model;
    std::unique_ptr<MeCab::Tagger> tagger;
    std::unique_ptr<MeCab::Lattice> lattice;
    // Writers and publishers come back book after book: their readings are
    // kept (a title's too, up to a bound).
    mutable QHash<QString, QString> known;

    // MeCab's `count` best analyses of a text, each as its tokens.
    std::vector<std::vector<Token>> analyses(const QString& text, int count) const {
        std::vector<std::vector<Token>> out;
        const QByteArray bytes = text.toUtf8();
        lattice->clear();
        lattice->set_sentence(bytes.constData());
        lattice->set_request_type(count > 1 ? MECAB_NBEST : MECAB_ONE_BEST);
        if (!tagger->parse(lattice.get()))
            return out;
        for (int i = 0; i < count; ++i) {
            std::vector<Token> tokens;
            for (const MeCab::Node* node = lattice->bos_node()->next;
                 node && node->stat != MECAB_EOS_NODE; node = node->next)
                tokens.push_back({QString::fromUtf8(node->surface, node->length),
                                  QString::fromUtf8(node->feature).split(QLatin1Char(','))});
            out.push_back(std::move(tokens));
            if (count == 1 || !lattice->next())
                break;
        }
        return out;
    }
};

namespace {

// Debian's UTF-8 IPA dictionary, whichever dictionary the system's default is
// (another one, or the EUC-JP IPA dictionary, would read UTF-8 text as noise).
// A MECABRC the user set is theirs to choose.
QByteArray dictionaryArguments() {
    const char* dictionary = "/var/lib/mecab/dic/ipadic-utf8";
    if (qEnvironmentVariableIsSet("MECABRC") ||
        !QFileInfo::exists(QString::fromLatin1(dictionary) + QStringLiteral("/dicrc")))
        return QByteArray();
    return QByteArray("-r /dev/null -d ") + dictionary;
}

bool readsUtf8(const MeCab::Model& model) {
    const MeCab::DictionaryInfo* info = model.dictionary_info();
    return info && QByteArray(info->charset).toLower().replace('-', "") == "utf8";
}

}  // namespace

ReadingAnalyzer::ReadingAnalyzer() {
    auto parts = std::make_unique<MeCabParts>();
    parts->model.reset(MeCab::createModel(dictionaryArguments().constData()));
    const char* why = nullptr;
    if (parts->model && !readsUtf8(*parts->model)) {
        parts->model.reset();
        why = "the dictionary is not UTF-8";
    }
    if (parts->model) {
        parts->tagger.reset(parts->model->createTagger());
        parts->lattice.reset(parts->model->createLattice());
    }
    if (parts->model && parts->tagger && parts->lattice) {
        m_mecab = std::move(parts);
    } else {
        if (!why)
            why = MeCab::getLastError();
        m_limitation = QStringLiteral(
                           "読みの辞書（MeCab の IPA 辞書）が使えないため、読みは"
                           "かなの書名・名前に限られます（%1）")
                           .arg(QString::fromUtf8(why ? why : "").trimmed());
    }
}

ReadingAnalyzer::~ReadingAnalyzer() = default;

QString ReadingAnalyzer::reading(const QString& text, ReadingKind kind) const {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return QString();
    if (!m_mecab)
        return katakanaReading(trimmed);
    const QString key =
        (kind == ReadingKind::Name ? QStringLiteral("N") : QStringLiteral("T")) + trimmed;
    const auto found = m_mecab->known.constFind(key);
    if (found != m_mecab->known.constEnd())
        return *found;
    if (m_mecab->known.size() >= kKnownReadings)
        m_mecab->known.clear();
    const QString read = kind == ReadingKind::Text ? textReading(trimmed) : nameReading(trimmed);
    m_mecab->known.insert(key, read);
    return read;
}

QString ReadingAnalyzer::nameReading(const QString& trimmed) const {
    // A name: its parts as the user separated them, family name first.
    QStringList parts;
    QString part;
    for (const QChar c : trimmed) {
        if (isBlank(c)) {
            if (!part.isEmpty())
                parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    parts << part;
    QStringList read;
    for (qsizetype i = 0; i < parts.size(); ++i)
        read << namePartReading(parts[i], i == 0 && parts.size() > 1);
    return read.join(QLatin1Char(' '));
}

QString ReadingAnalyzer::textReading(const QString& text) const {
    if (!m_mecab || isKanaText(text))
        return katakanaReading(text);
    const auto analyses = m_mecab->analyses(text, 1);
    if (analyses.empty())
        return katakanaReading(text);
    // MeCab leaves the blanks out: they are put back where the text had them.
    QString out;
    qsizetype at = 0;
    for (const Token& token : analyses.front()) {
        const qsizetype found = text.indexOf(token.surface, at);
        if (found > at)
            out += text.mid(at, found - at);
        out += token.reading();
        if (found >= 0)
            at = found + token.surface.size();
    }
    out += text.mid(at);
    return out;
}

QString ReadingAnalyzer::namePartReading(const QString& part, bool family) const {
    if (!m_mecab || isKanaText(part))
        return katakanaReading(part);
    const QString role = family ? QStringLiteral("姓") : QStringLiteral("名");
    // Most names are read as one person's name by MeCab's best analysis.
    const auto best = m_mecab->analyses(part, 1);
    if (!best.empty() && best.front().size() == 1 && best.front().front().isPersonName() &&
        best.front().front().feature[3] == role)
        return best.front().front().reading();
    const auto analyses = m_mecab->analyses(part, kNameAnalyses);
    // The part as one person's name of its kind (a family or a given name),
    // then as any person's name, then as any noun MeCab can read in one piece
    // (a place name is often a family name too).
    auto firstSingle = [&](const auto& wanted) -> const Token* {
        for (const auto& tokens : analyses)
            if (tokens.size() == 1 && wanted(tokens.front()))
                return &tokens.front();
        return nullptr;
    };
    const Token* found =
        firstSingle([&](const Token& t) { return t.isPersonName() && t.feature[3] == role; });
    if (!found)
        found = firstSingle([](const Token& t) { return t.isPersonName(); });
    if (!found)
        found = firstSingle([](const Token& t) { return t.isNoun() && t.hasReading(); });
    if (found)
        return found->reading();
    // A given name the dictionary does not hold whole is read a character at
    // a time; its last characters, when they are usual endings of given names,
    // are read as such endings (秀介 シュウスケ, not シュウカイ; 遼太郎 リョウタロウ).
    return family ? textReading(part) : givenNameReading(part);
}

QString ReadingAnalyzer::givenNameReading(const QString& part) const {
    const QString ending = part.size() >= 2 ? givenNameEnding(part.back()) : QString();
    return ending.isEmpty() ? textReading(part) : givenNameReading(part.chopped(1)) + ending;
}

QString ReadingAnalyzer::givenNameEnding(QChar last) {
    static const QHash<QChar, QString> endings = [] {
        QHash<QChar, QString> table;
        const char* const pairs[] = {"介スケ", "助スケ", "輔スケ", "太タ",   "郎ロウ", "朗ロウ",
                                     "彦ヒコ", "也ヤ",   "哉ヤ",   "夫オ",   "雄オ",   "男オ",
                                     "蔵ゾウ", "造ゾウ", "吉キチ", "平ヘイ", "樹キ",   "斗ト",
                                     "奈ナ",   "乃ノ",   "恵エ",   "絵エ",   "穂ホ"};
        for (const char* pair : pairs) {
            const QString text = QString::fromUtf8(pair);
            table.insert(text.front(), text.mid(1));
        }
        return table;
    }();
    return endings.value(last);
}

}  // namespace quillo
