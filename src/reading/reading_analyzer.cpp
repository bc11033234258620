#include "reading/reading_analyzer.h"

#include <mecab.h>

#include <QFileInfo>

#include "platform/kana_text.h"
#include "platform/search_fold.h"
#include "reading/name_index.h"
#include "reading/number_reading.h"
#include "reading/publisher_names.h"

namespace quillo {

namespace {

// How many of MeCab's best analyses a name is looked for in.
constexpr int kNameAnalyses = 30;
// How many of them a reading from the name data is looked for in: the first
// few agree as well as thirty, at a sixth of the cost.
constexpr int kAgreementAnalyses = 5;
// How many readings are kept before the store of them starts again.
constexpr qsizetype kKnownReadings = 200000;

// One token of an analysis; its features (品詞,細分類1,細分類2,細分類3,活用型,
// 活用形,原形,読み,発音) are looked at where asked, not split up front.
struct Token {
    QString surface;
    QString features;
    QStringView feature(int index) const {
        qsizetype start = 0;
        for (int i = 0; i < index; ++i) {
            start = features.indexOf(u',', start);
            if (start < 0)
                return {};
            ++start;
        }
        const qsizetype end = features.indexOf(u',', start);
        return QStringView(features).mid(start, end < 0 ? -1 : end - start);
    }
    bool hasReading() const {
        const QStringView reading = feature(7);
        return !reading.isEmpty() && reading != u"*";
    }
    QString reading() const {
        return hasReading() ? feature(7).toString() : katakanaReading(surface);
    }
    bool isPersonName() const { return feature(2) == u"人名"; }
    bool isNoun() const { return feature(0) == u"名詞"; }
    bool isParticle() const { return feature(0) == u"助詞"; }
};

bool isBlank(QChar c) {
    return c == u' ' || c == QChar(0x3000);
}

bool isKanji(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) ||
           (u >= 0xF900 && u <= 0xFAFF) || c.isSurrogate() || u == 0x3005 || u == 0x3006;
}

bool hasKanji(const QString& text) {
    return std::any_of(text.begin(), text.end(), isKanji);
}

bool isDigits(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19);
    });
}

QStringList namePartsOf(const QString& name) {
    QStringList parts;
    QString part;
    for (const QChar c : name) {
        if (isBlank(c)) {
            if (!part.isEmpty())
                parts << part;
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.isEmpty())
        parts << part;
    return parts;
}

QString withoutBlanks(QString text) {
    text.remove(u' ');
    text.remove(QChar(0x3000));
    return text;
}

// A particle read as it is pronounced, as the national library files titles:
// 吾輩は猫である ワガハイワネコデアル.
QString particleReading(const Token& token) {
    if (!token.isParticle())
        return QString();
    if (token.surface == u"は")
        return QStringLiteral("ワ");
    if (token.surface == u"へ")
        return QStringLiteral("エ");
    if (token.surface == u"を")
        return QStringLiteral("オ");
    return QString();
}

}  // namespace

QString learnedNameKey(const QString& name) {
    return withoutBlanks(foldForSearch(name.trimmed()));
}

struct ReadingAnalyzer::MeCabParts {
    std::unique_ptr<MeCab::Model> model;
    std::unique_ptr<MeCab::Tagger> tagger;
    std::unique_ptr<MeCab::Lattice> lattice;
    // Writers and publishers come back book after book: their readings are
    // kept (a title's too, up to a bound).
    mutable QHash<QString, Reading> known;
    mutable QHash<QString, Reading> knownParts[2];  // family names, given names

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
                                  QString::fromUtf8(node->feature)});
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
// A MECABRC the user set is theirs to choose, and is checked below.
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

// The IPA dictionary's layout puts the reading eighth: another dictionary
// (UniDic puts the lemma there) would store 我が輩 as the reading of 吾輩.
bool hasIpaLayout(MeCab::Tagger& tagger) {
    const char* parsed = tagger.parse("猫");
    if (!parsed)
        return false;
    const QStringList fields =
        QString::fromUtf8(parsed).section(u'\t', 1).section(u'\n', 0, 0).split(u',');
    return fields.size() > 7 && fields[7] == QStringLiteral("ネコ");
}

}  // namespace

ReadingAnalyzer::ReadingAnalyzer() : ReadingAnalyzer(sharedNameIndexPath()) {}

ReadingAnalyzer::ReadingAnalyzer(const QString& nameIndex) : m_names(NameIndex::open(nameIndex)) {
    auto parts = std::make_unique<MeCabParts>();
    parts->model.reset(MeCab::createModel(dictionaryArguments().constData()));
    QString why;
    if (parts->model && !readsUtf8(*parts->model)) {
        parts->model.reset();
        why = QStringLiteral("the dictionary is not UTF-8");
    }
    if (parts->model) {
        parts->tagger.reset(parts->model->createTagger());
        parts->lattice.reset(parts->model->createLattice());
    }
    if (parts->tagger && !hasIpaLayout(*parts->tagger)) {
        parts->tagger.reset();
        why = QStringLiteral(
            "読みの欄が IPA 辞書の並びではありません。MECABRC で別の辞書"
            "（UniDic など）が選ばれていないか確かめてください");
    }
    if (parts->model && parts->tagger && parts->lattice) {
        m_mecab = std::move(parts);
    } else {
        if (why.isEmpty())
            why = QString::fromUtf8(MeCab::getLastError());
        m_limitation = QStringLiteral(
                           "読みの辞書（MeCab の IPA 辞書）が使えないため、読みは"
                           "かなの書名・名前に限られます（%1）")
                           .arg(why.trimmed());
    }
}

ReadingAnalyzer::~ReadingAnalyzer() = default;

namespace {

// Kanji of names that Shift-JIS and the dictionaries lack, read as the common
// form they vary (𠮷田 is read as 吉田, ヨシダ).
QString withCommonForms(QString text) {
    static const std::pair<const char16_t*, const char16_t*> variants[] = {
        {u"\U00020BB7", u"吉"}, {u"\U0002123D", u"土"}, {u"\U0002363A", u"橋"}};
    for (const auto& [variant, common] : variants)
        text.replace(QString::fromUtf16(variant), QString::fromUtf16(common));
    return text;
}

}  // namespace

Reading ReadingAnalyzer::read(const QString& text, ReadingKind kind,
                              const LearnedNames* learned) const {
    const QString trimmed = withCommonForms(text.trimmed());
    if (trimmed.isEmpty())
        return {};
    // Several people in one field (翻訳者 "松崎 公紀、新妻 弘"): each read as
    // the name it is, in the same order.
    if (kind == ReadingKind::Name && trimmed.contains(u'、')) {
        Reading joined;
        QStringList readings;
        for (const QString& name : trimmed.split(u'、', Qt::SkipEmptyParts)) {
            const Reading one = read(name, kind, learned);
            readings << one.text;
            joined.uncertain = joined.uncertain || one.uncertain;
        }
        joined.text = readings.join(u'、');
        return joined;
    }
    if (kind != ReadingKind::Text && learned) {
        const auto found = learned->names.constFind(learnedNameKey(trimmed));
        if (found != learned->names.constEnd())
            return {*found, false};
    }
    if (!m_mecab)
        return {expandIterationMarks(katakanaReading(trimmed)), false};
    // A name of a foreign shelf (Kurt Gödel, Åsa Larsson) is its own reading,
    // and no doubt about it.
    if (kind != ReadingKind::Text && !hasKanji(trimmed) &&
        std::none_of(trimmed.begin(), trimmed.end(),
                     [](QChar c) { return isKanaText(QString(c)); }))
        return {trimmed, false};
    // What the user taught about a name's parts is the catalogue's own: such a
    // reading is made afresh, not kept for other catalogues.
    const bool personal = kind == ReadingKind::Name && learned &&
                          (!learned->families.isEmpty() || !learned->givens.isEmpty());
    const QString key = QString::number(static_cast<int>(kind)) + trimmed;
    if (!personal) {
        const auto found = m_mecab->known.constFind(key);
        if (found != m_mecab->known.constEnd())
            return *found;
    }
    Reading read;
    switch (kind) {
        case ReadingKind::Text:
            read = textReading(trimmed);
            break;
        case ReadingKind::Name:
            read = nameReading(trimmed, learned);
            break;
        case ReadingKind::Organisation:
            read = organisationReading(trimmed);
            break;
    }
    read.text = expandIterationMarks(read.text);
    // Whatever was left unread is read a kanji at a time: a reading never
    // keeps a kanji (it would sort after わ and never be found by kana).
    if (hasKanji(read.text)) {
        // One no data read at all is left out: the rest still sorts and is
        // found where it belongs, and the book is marked for a look.
        QString out, last;
        for (const QChar c : read.text) {
            if (c != QChar(0x3005))  // 々 repeats the kanji before it
                last = isKanji(c) ? kanjiReading(c, kind == ReadingKind::Name) : QString(c);
            if (!hasKanji(last))
                out += last;
        }
        read = {out.simplified(), true};
    }
    if (!personal) {
        if (m_mecab->known.size() >= kKnownReadings)
            m_mecab->known.clear();
        m_mecab->known.insert(key, read);
    }
    return read;
}

QString ReadingAnalyzer::plainReading(const QString& text) const {
    const QString trimmed = text.trimmed();
    if (!m_mecab || isKanaText(trimmed))
        return katakanaReading(trimmed);
    const auto analyses = m_mecab->analyses(trimmed, 1);
    if (analyses.empty())
        return katakanaReading(trimmed);
    QString out;
    qsizetype at = 0;
    for (const Token& token : analyses.front()) {
        const qsizetype found = trimmed.indexOf(token.surface, at);
        if (found > at)
            out += trimmed.mid(at, found - at);
        out += token.reading();
        if (found >= 0)
            at = found + token.surface.size();
    }
    return out + trimmed.mid(at);
}

Reading ReadingAnalyzer::textReading(const QString& text) const {
    if (isKanaText(text))
        return {katakanaReading(text), false};
    const auto analyses = m_mecab->analyses(text, 1);
    if (analyses.empty())
        return {katakanaReading(text), false};
    const std::vector<Token>& tokens = analyses.front();
    // MeCab leaves the blanks out: they are put back where the text had them.
    Reading out;
    qsizetype at = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        // A number MeCab splits into digits is read as one number.
        QString surface = tokens[i].surface;
        if (isDigits(surface)) {
            while (i + 1 < tokens.size() && isDigits(tokens[i + 1].surface))
                surface += tokens[++i].surface;
        }
        const qsizetype found = text.indexOf(surface, at);
        if (found > at)
            out.text += text.mid(at, found - at);
        if (found >= 0)
            at = found + surface.size();
        const Token& token = tokens[i];
        if (isDigits(surface)) {
            out.text += numberReading(surface);
        } else if (const QString particle = particleReading(token); !particle.isEmpty()) {
            out.text += particle;
        } else if (token.hasReading()) {
            out.text += token.reading();
        } else if (hasKanji(surface)) {
            const Reading word = wordReading(surface);
            out.text += word.text;
            out.uncertain = true;
        } else {
            out.text += katakanaReading(surface);
        }
    }
    out.text += text.mid(at);
    return out;
}

Reading ReadingAnalyzer::wordReading(const QString& word) const {
    // A word MeCab does not know may still be a name the name data know
    // (檸檬 レモン); otherwise each kanji is read on its own.
    if (m_names) {
        const auto entries =
            m_names->lookUp(word, kFamilyName | kGivenName | kPersonName | kOrganisationName);
        if (!entries.empty())
            return {entries.front().reading, true};
    }
    QString out;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar c = word[i];
        if (c == QChar(0x3005) && i > 0)  // 々 repeats the kanji before it
            out += kanjiReading(word[i - 1], false);
        else if (isKanji(c))
            out += kanjiReading(c, false);
        else
            out += katakanaReading(QString(c));
    }
    return {out, true};
}

QString ReadingAnalyzer::kanjiReading(QChar kanji, bool inName) const {
    if (!m_names)
        return QString(kanji);
    if (inName) {
        const auto names = m_names->lookUp(QString(kanji), kFamilyName | kGivenName);
        if (!names.empty())
            return names.front().reading;
    }
    const auto readings = m_names->kanji(QString(kanji));
    const KanjiReadingKind preferred = inName ? kNameReading : kOnReading;
    for (const KanjiReading& r : readings)
        if (r.kind == preferred)
            return r.reading;
    if (!readings.empty())
        return readings.front().reading;
    const auto names = m_names->lookUp(QString(kanji), kFamilyName | kGivenName);
    if (!names.empty())
        return names.front().reading;
    // A variant KANJIDIC leaves out (閒) may be one MeCab reads.
    const auto analyses =
        m_mecab ? m_mecab->analyses(QString(kanji), 1) : std::vector<std::vector<Token>>{};
    if (!analyses.empty() && analyses.front().size() == 1 && analyses.front().front().hasReading())
        return analyses.front().front().reading();
    return QString(kanji);
}

QString ReadingAnalyzer::chooseByMeCab(const QStringList& readings, const QString& text,
                                       bool personOnly) const {
    // The first of MeCab's best analyses that reads the text as one of the
    // readings: the one MeCab agrees with.
    for (const auto& tokens : m_mecab->analyses(text, kAgreementAnalyses)) {
        if (personOnly && !std::all_of(tokens.begin(), tokens.end(),
                                       [](const Token& t) { return t.isPersonName(); }))
            continue;
        QString reading;
        for (const Token& token : tokens)
            reading += token.reading();
        if (readings.contains(reading))
            return reading;
    }
    return QString();
}

ReadingAnalyzer::NameChoice ReadingAnalyzer::chooseName(const std::vector<NameEntry>& entries,
                                                        const QString& text,
                                                        bool personOnly) const {
    // Each source's word counts: the SKK dictionaries' full names most (they
    // list writers by how they read their own names), their first readings of
    // a name more than their later ones, JMnedict's once; MeCab agreeing adds
    // to a reading, without outweighing two sources that agree.
    struct Vote {
        QString reading;
        double score = 0;
        int familyLength = -1;
    };
    std::vector<Vote> votes;
    for (const NameEntry& e : entries) {
        auto vote = std::find_if(votes.begin(), votes.end(),
                                 [&](const Vote& v) { return v.reading == e.reading; });
        if (vote == votes.end())
            vote = votes.insert(votes.end(), Vote{e.reading});
        if (e.source == NameSource::Skk)
            vote->score += (e.kinds & kPersonName) ? 3.0
                           : e.rank == 0           ? 1.5
                           : e.rank == 1           ? 1.0
                                                   : 0.5;
        else
            vote->score += 1.0;
        vote->familyLength = std::max(vote->familyLength, e.familyLength);
    }
    if (votes.size() == 1)
        return {votes.front().reading, votes.front().familyLength, true};
    std::stable_sort(votes.begin(), votes.end(),
                     [](const Vote& a, const Vote& b) { return a.score > b.score; });
    // Sources that agree this clearly need no word from MeCab (whose vote
    // could not change the choice), which saves its analyses.
    if (votes[0].score - votes[1].score >= 2.0)
        return {votes[0].reading, votes[0].familyLength, true};
    QStringList readings;
    for (const Vote& v : votes)
        readings << v.reading;
    const QString agreed = chooseByMeCab(readings, text, personOnly);
    for (Vote& v : votes)
        if (v.reading == agreed)
            v.score += 1.5;
    std::stable_sort(votes.begin(), votes.end(),
                     [](const Vote& a, const Vote& b) { return a.score > b.score; });
    const bool certain = votes[0].reading == agreed || votes[0].score - votes[1].score >= 2.0;
    return {votes[0].reading, votes[0].familyLength, certain};
}

Reading ReadingAnalyzer::organisationReading(const QString& text) const {
    if (isKanaText(text))
        return {katakanaReading(text), false};
    if (const QString known = knownPublisherReading(text); !known.isEmpty())
        return {known, false};
    if (m_names) {
        const auto entries = m_names->lookUp(withoutBlanks(text), kOrganisationName);
        if (!entries.empty())
            return {entries.front().reading, entries.size() > 1};
    }
    return textReading(text);
}

Reading ReadingAnalyzer::nameReading(const QString& name, const LearnedNames* learned) const {
    QStringList parts = namePartsOf(name);
    if (std::all_of(parts.begin(), parts.end(), [](const QString& p) { return isKanaText(p); }))
        return {katakanaReading(parts.join(u' ')), false};
    const QString whole = parts.join(QString());
    // One person's full name the name data know: its reading, the one MeCab
    // agrees with where the data give several.
    if (m_names) {
        const auto entries = m_names->lookUp(whole, kPersonName);
        if (!entries.empty()) {
            const NameChoice choice = chooseName(entries, whole, false);
            QString chosen = choice.reading;
            // The blank between family and given name: where a reading of the
            // family name typed is followed by one of the given name typed
            // (伊藤 整 is イトウ セイ, though 伊藤 also reads イト), else where
            // the data say, else after the longest reading of the family name
            // the whole starts with.
            int family = -1;
            if (parts.size() == 2) {
                const auto givens = m_names->lookUp(parts[1], kFamilyName | kGivenName);
                int longest = -1;
                for (const NameEntry& f : m_names->lookUp(parts[0], kFamilyName | kGivenName)) {
                    if (!chosen.startsWith(f.reading) || f.reading.size() >= chosen.size())
                        continue;
                    const QStringView rest = QStringView(chosen).mid(f.reading.size());
                    if (std::any_of(givens.begin(), givens.end(),
                                    [&](const NameEntry& g) { return g.reading == rest; })) {
                        family = static_cast<int>(f.reading.size());
                        break;
                    }
                    longest = std::max(longest, static_cast<int>(f.reading.size()));
                }
                if (family < 0)
                    family = choice.familyLength > 0 ? choice.familyLength : longest;
            } else {
                family = choice.familyLength;
            }
            if (family > 0 && family < chosen.size())
                chosen.insert(family, u' ');
            return {chosen, !choice.certain};
        }
        // A pen name typed as one that the data hold whole as a person's name
        // (乙一 オツイチ), not split into a family and a given name.
        if (parts.size() == 1) {
            std::vector<NameEntry> wholeNames;
            for (const NameEntry& e : m_names->lookUp(whole, kFamilyName | kGivenName))
                if ((e.kinds & (kFamilyName | kGivenName)) == (kFamilyName | kGivenName))
                    wholeNames.push_back(e);
            if (!wholeNames.empty() && whole.size() >= 2) {
                const NameChoice choice = chooseName(wholeNames, whole, true);
                return {choice.reading, !choice.certain};
            }
        }
    }
    // Otherwise a family and a given name: as typed, or, typed as one, split
    // where a family name the data know ends (never the whole as a given name).
    if (parts.size() == 1 && m_names && !isKanaText(whole) && whole.size() >= 2) {
        int best = -1, bestScore = -1;
        for (int at = 1; at < whole.size(); ++at) {
            if (!m_names->isFamilyName(whole.left(at)))
                continue;
            const bool given = !m_names->lookUp(whole.mid(at), kGivenName).empty();
            // Both halves known beats one; among equals, the usual two-kanji
            // family name.
            const int score = (given ? 10 : 0) + (at == 2 ? 2 : at == 3 ? 1 : 0);
            if (score > bestScore) {
                best = at;
                bestScore = score;
            }
        }
        if (best > 0)
            parts = QStringList{whole.left(best), whole.mid(best)};
    }
    Reading out;
    QStringList read;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const Reading part = namePartReading(parts[i], i == 0 && parts.size() > 1, learned);
        read << part.text;
        out.uncertain = out.uncertain || part.uncertain;
    }
    out.text = read.join(u' ');
    return out;
}

Reading ReadingAnalyzer::namePartReading(const QString& part, bool family,
                                         const LearnedNames* learned) const {
    if (isKanaText(part))
        return {katakanaReading(part), false};
    if (learned) {
        const QHash<QString, QString>& taught = family ? learned->families : learned->givens;
        const auto found = taught.constFind(learnedNameKey(part));
        if (found != taught.constEnd())
            return {*found, false};
    }
    // Family names and given names come back in many names.
    QHash<QString, Reading>& known = m_mecab->knownParts[family ? 0 : 1];
    if (const auto found = known.constFind(part); found != known.constEnd())
        return *found;
    if (known.size() >= kKnownReadings)
        known.clear();
    const Reading read = unknownNamePartReading(part, family);
    known.insert(part, read);
    return read;
}

Reading ReadingAnalyzer::unknownNamePartReading(const QString& part, bool family) const {
    if (m_names) {
        // The data's readings for the part in its role (then in the other),
        // the one MeCab's analyses agree with, else the most usual.
        auto entries = m_names->lookUp(part, family ? kFamilyName : kGivenName);
        if (entries.empty())
            entries = m_names->lookUp(part, kFamilyName | kGivenName);
        if (!entries.empty()) {
            const NameChoice choice = chooseName(entries, part, true);
            return {choice.reading, !choice.certain};
        }
    }
    return mecabNamePart(part, family);
}

Reading ReadingAnalyzer::mecabNamePart(const QString& part, bool family) const {
    const QString role = family ? QStringLiteral("姓") : QStringLiteral("名");
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
    // Only the first is a reading of a name; the others are guesses worth a
    // look, as the name data know nothing of the part.
    if (const Token* found = firstSingle([&](const Token& t) {
            return t.isPersonName() && t.feature(3) == role && t.hasReading();
        }))
        return {found->reading(), false};
    const Token* found =
        firstSingle([](const Token& t) { return t.isPersonName() && t.hasReading(); });
    if (!found)
        found = firstSingle([](const Token& t) { return t.isNoun() && t.hasReading(); });
    if (found)
        return {found->reading(), true};
    // A given name the dictionary does not hold whole is read a character at
    // a time; its last characters, when they are usual endings of given names,
    // are read as such endings (秀介 シュウスケ, not シュウカイ).
    Reading read = family ? textReading(part) : givenNameByEndings(part);
    read.uncertain = true;
    if (hasKanji(read.text)) {
        QString out;
        for (const QChar c : read.text)
            out += isKanji(c) ? kanjiReading(c, true) : QString(c);
        read = {out, true};
    }
    return read;
}

Reading ReadingAnalyzer::givenNameByEndings(const QString& part) const {
    const QString ending = part.size() >= 2 ? givenNameEnding(part.back()) : QString();
    if (ending.isEmpty())
        return textReading(part);
    Reading head = givenNameByEndings(part.chopped(1));
    head.text += ending;
    return head;
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

QStringList ReadingAnalyzer::candidates(const QString& text, ReadingKind kind, int most) const {
    QStringList out;
    auto add = [&](const QString& reading) {
        const QString expanded = expandIterationMarks(reading);
        if (!expanded.isEmpty() && !hasKanji(expanded) && !out.contains(expanded) &&
            out.size() < most)
            out << expanded;
    };
    const QString trimmed = text.trimmed();
    add(read(trimmed, kind).text);
    if (!m_mecab || isKanaText(trimmed))
        return out;
    const QStringList parts = namePartsOf(trimmed);
    const QString whole = parts.join(QString());
    if (m_names && kind != ReadingKind::Text) {
        for (const NameEntry& e :
             m_names->lookUp(whole, kind == ReadingKind::Name ? kPersonName : kOrganisationName))
            add(e.reading);
        if (kind == ReadingKind::Name && parts.size() == 2) {
            // One part changed at a time: the given name's other readings
            // with the family name read, then the family name's.
            const QStringList read = out.first().split(u' ');
            auto readingsOf = [&](const QString& part, unsigned kinds) {
                QStringList readings;
                for (const NameEntry& e : m_names->lookUp(part, kinds))
                    if (!readings.contains(e.reading))
                        readings << e.reading;
                return readings;
            };
            if (read.size() == 2) {
                for (const QString& given : readingsOf(parts[1], kGivenName))
                    add(read[0] + u' ' + given);
                for (const QString& family : readingsOf(parts[0], kFamilyName))
                    add(family + u' ' + read[1]);
            }
        }
    }
    for (const auto& tokens : m_mecab->analyses(whole, 5)) {
        QString reading;
        for (const Token& token : tokens)
            reading += token.reading();
        add(reading);
    }
    return out;
}

}  // namespace quillo
