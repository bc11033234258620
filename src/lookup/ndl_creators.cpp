#include "lookup/ndl_creators.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <array>

#include "platform/kana_text.h"

namespace quillo {

namespace {

// What a creator did, in the order writers are filed; a translator has a
// field of their own, and other roles (解説, 序文) only a line in the memo.
enum class Role { Author, Illustrator, Editor, Supervisor, Translator, Other };
constexpr size_t kWriterRoles = 4;
constexpr qsizetype kLongestName = 64;

// Roles that make no one a writer, named so the memo can say them.
const QStringList& otherRoles() {
    static const QStringList roles{
        QStringLiteral("解説"), QStringLiteral("序文"), QStringLiteral("序"),
        QStringLiteral("跋"),   QStringLiteral("注"),   QStringLiteral("注釈"),
        QStringLiteral("校注"), QStringLiteral("校訂"), QStringLiteral("校閲"),
        QStringLiteral("写真"), QStringLiteral("撮影"), QStringLiteral("協力"),
        QStringLiteral("構成"), QStringLiteral("脚本"), QStringLiteral("述"),
        QStringLiteral("談"),   QStringLiteral("語り"), QStringLiteral("選"),
        QStringLiteral("装丁"), QStringLiteral("装幀"), QStringLiteral("題字"),
        QStringLiteral("朗読"), QStringLiteral("作曲"), QStringLiteral("執筆")};
    return roles;
}

bool isSquareBracket(QChar c) {
    return c == u'[' || c == u']' || c == QChar(0xFF3B) || c == QChar(0xFF3D);
}

QString withoutBrackets(QString text) {
    text.removeIf([](QChar c) { return isSquareBracket(c); });
    return text;
}

Role roleOfWord(const QString& word) {
    if (word.contains(u'監'))
        return Role::Supervisor;  // 監修, 監訳
    if (word.contains(u'訳'))
        return Role::Translator;  // 訳, 共訳, 翻訳
    if (word.contains(u'編'))
        return Role::Editor;  // 編, 編著, 編集, 共編
    if (word.contains(u'絵') || word.contains(u'画') || word == QStringLiteral("イラスト"))
        return Role::Illustrator;  // 絵, 画, 漫画, 作画
    if (word.contains(u'著') || word.contains(u'作') || word == QStringLiteral("文") ||
        word == QStringLiteral("原案"))
        return Role::Author;  // 著, 共著, 作, 原作
    return Role::Other;
}

// A role as a statement writes it ("共著", "作・絵", "[編]"): the first writer's
// role among its words, else a translator's, else another.
Role roleOf(const QString& text) {
    static const QRegularExpression between(QStringLiteral("[・/／]"));
    Role writer = Role::Other;
    bool translates = false;
    for (const QString& word : withoutBrackets(text).split(between)) {
        const Role role = roleOfWord(word);
        if (role == Role::Translator)
            translates = true;
        else
            writer = std::min(writer, role);
    }
    return writer != Role::Other ? writer : translates ? Role::Translator : Role::Other;
}

// Whether the last word of a statement is its role: a writer's, a
// translator's or another known one; a bracketed word is one whatever it says.
bool isRoleWord(const QString& word) {
    if (word.isEmpty() || word.size() > 8)
        return false;
    if (isSquareBracket(word.front()))
        return true;
    for (const QChar c : word)
        if (c.unicode() < 0x3000)
            return false;
    return roleOf(word) != Role::Other || otherRoles().contains(word);
}

// A name with its blanks and punctuation gone, to match a statement's
// "原田智子" with the heading "原田, 智子, 1947-".
bool isDropped(QChar c) {
    return c.isSpace() || c == u',' || c == u'.' || c == u'、' || c == u'，' || c == u'・' ||
           c == u'=' || c == QChar(0xFF1D);
}
QString compact(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (const QChar c : name)
        if (!isDropped(c))
            out += c;
    return out;
}

// A name in kana as its parts, in any order: "ギルバート・ストラング" and the
// heading's reading "ストラング, ギルバート" are the same person.
QString kanaPartsKey(const QString& name) {
    static const QRegularExpression separators(QStringLiteral("[\\s,、・＝=]+"));
    QStringList parts = name.split(separators, Qt::SkipEmptyParts);
    if (parts.isEmpty() || !isKanaText(parts.join(QString())))
        return {};
    for (QString& part : parts)
        part = katakanaReading(part);
    parts.sort();
    return parts.join(u'|');
}

struct Statement {
    QStringList names;
    QString role;  // as written, brackets gone; empty for none
};

Statement statementOf(const QString& text) {
    QString names = text.simplified();
    Statement s;
    const qsizetype blank = names.lastIndexOf(u' ');
    if (blank > 0 && isRoleWord(names.mid(blank + 1))) {
        s.role = withoutBrackets(names.mid(blank + 1));
        names.truncate(blank);
    }
    static const QRegularExpression between(QStringLiteral("\\s*[,、，]\\s*"));
    static const QRegularExpression others(
        QStringLiteral("\\s*(?:[\\[［](?:ほか|他)[\\]］]|ほか|他)$"));
    for (QString name : names.split(between, Qt::SkipEmptyParts)) {
        name.remove(others);
        if (!name.trimmed().isEmpty())
            s.names << name.trimmed();
    }
    return s;
}

// The record's headings, found by name in time that does not grow with their
// number.
class Headings {
public:
    explicit Headings(const std::vector<NdlName>& agents) {
        for (const NdlName& a : agents) {
            const NdlName h{nameFromHeading(a.name), nameFromHeading(a.reading)};
            m_list.push_back(h);
            m_byName.insert(compact(h.name), m_list.size() - 1);
            if (const QString key = kanaPartsKey(h.reading); !key.isEmpty())
                m_byKana.insert(key, m_list.size() - 1);
        }
    }
    const std::vector<NdlName>& all() const { return m_list; }

    // The name as the catalogue keeps it, with the heading's reading.
    NdlName named(const QString& printed) const {
        const QString key = compact(printed);
        if (const auto at = m_byName.constFind(key); at != m_byName.constEnd())
            return m_list[*at];
        // Printed in katakana, headed in Latin letters: the name as printed,
        // read family name first as the heading is.
        if (const QString kana = kanaPartsKey(printed); !kana.isEmpty())
            if (const auto at = m_byKana.constFind(kana); at != m_byKana.constEnd())
                return {printed, m_list[*at].reading};
        // A body under another's heading (日本図書館協会目録委員会 under
        // 日本図書館協会): that part is read as the heading is. A name longer
        // than any field holds is no one's.
        if (key.size() > kLongestName)
            return {printed, {}};
        for (qsizetype length = key.size() - 1; length > 1; --length) {
            const auto at = m_byName.constFind(key.left(length));
            if (at == m_byName.constEnd() || m_list[*at].reading.isEmpty())
                continue;
            qsizetype printedLength = 0, kept = 0;
            while (kept < length)
                kept += isDropped(printed[printedLength++]) ? 0 : 1;
            return {printed, m_list[*at].reading, printedLength};
        }
        return {printed, {}};
    }

private:
    std::vector<NdlName> m_list;
    QHash<QString, size_t> m_byName, m_byKana;
};

QString namesOf(const std::vector<NdlName>& names) {
    QStringList list;
    for (const NdlName& n : names)
        list << n.name;
    return list.join(QStringLiteral("、"));
}

}  // namespace

QString nameFromHeading(const QString& heading) {
    QStringList parts = heading.split(u',', Qt::SkipEmptyParts);
    for (QString& p : parts)
        p = p.trimmed();
    // A trailing "1958-" or "1947-2010" is the person's years, not the name.
    static const QRegularExpression years(QStringLiteral("^[\\d\\-?]+$"));
    while (parts.size() > 1 && years.match(parts.last()).hasMatch())
        parts.removeLast();
    // A Latin name is written as its owner writes it: "Park, Linda Sue" is
    // "Linda Sue Park"; a Japanese one family name first.
    const bool latin =
        std::none_of(heading.begin(), heading.end(), [](QChar c) { return c.unicode() >= 0x2E80; });
    if (latin && parts.size() == 2)
        return parts[1] + u' ' + parts[0];
    return parts.join(u' ');
}

BookCreators creatorsOf(const NdlRecord& record, size_t mostWriters) {
    const Headings headings(record.agents);
    struct Said {
        Role role;
        QString roleText;
        std::vector<NdlName> names;
    };
    std::vector<Said> statements;
    QStringList roles;                  // other than an author's, in the order met
    QHash<QString, QStringList> named;  // by role
    for (const QString& text : record.creatorTexts) {
        const Statement s = statementOf(text);
        Said said{s.role.isEmpty() ? Role::Author : roleOf(s.role), s.role, {}};
        const bool author =
            s.role.isEmpty() || s.role == QStringLiteral("著") || s.role == QStringLiteral("共著");
        for (const QString& printed : s.names) {
            said.names.push_back(headings.named(printed));
            if (author || said.role == Role::Translator)
                continue;
            if (!roles.contains(s.role))
                roles << s.role;
            if (!named[s.role].contains(said.names.back().name))
                named[s.role] << said.names.back().name;
        }
        statements.push_back(std::move(said));
    }
    // Each person filed once, by the first of their roles in a librarian's
    // order (原田智子 編 and 原田智子 共著 is an author).
    std::array<std::vector<NdlName>, kWriterRoles> writers;
    std::vector<NdlName> translators;
    QSet<QString> seen, seenTranslators;
    for (const Role role :
         {Role::Author, Role::Illustrator, Role::Editor, Role::Supervisor, Role::Translator}) {
        for (const Said& said : statements) {
            if (said.role != role)
                continue;
            for (const NdlName& name : said.names) {
                QSet<QString>& met = role == Role::Translator ? seenTranslators : seen;
                const QString key = compact(name.name);
                if (met.contains(key))
                    continue;
                met.insert(key);
                if (role == Role::Translator)
                    translators.push_back(name);
                else
                    writers[static_cast<size_t>(role)].push_back(name);
            }
        }
    }
    if (record.creatorTexts.isEmpty())
        writers[0] = headings.all();

    BookCreators creators;
    // The authors past the fifth are named in the memo; anyone else past it
    // has a line for their role already.
    std::vector<NdlName> beyond;
    for (size_t group = 0; group < writers.size(); ++group)
        for (const NdlName& name : writers[group])
            if (creators.writers.size() < mostWriters)
                creators.writers.push_back(name);
            else if (group == static_cast<size_t>(Role::Author))
                beyond.push_back(name);
    if (!translators.empty()) {
        creators.translator.name = namesOf(translators);
        QStringList readings;
        for (const NdlName& t : translators)
            readings << t.reading;
        // Read whole by the library, or not at all by it.
        if (!readings.contains(QString()) &&
            std::all_of(translators.begin(), translators.end(),
                        [](const NdlName& t) { return t.readLength < 0; }))
            creators.translator.reading = readings.join(QStringLiteral("、"));
        if (translators.size() == 1)
            creators.translator = translators.front();
    }
    for (const QString& role : roles)
        creators.memo << role + QStringLiteral(": ") + named[role].join(QStringLiteral("、"));
    if (!beyond.empty())
        creators.memo << QStringLiteral("ほかの著者: ") + namesOf(beyond);
    return creators;
}

}  // namespace quillo
