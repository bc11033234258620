#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "reading/name_data.h"

namespace quillo {

class NameIndex;

// What a text is, for reading it: a title as running text; a person's name
// (a writer, a translator) as a family and a given name; a publisher as the
// name of a company.
enum class ReadingKind { Text, Name, Organisation };

// A reading, and whether it should be looked at: it was made by reading a
// kanji on its own (nothing knew the word), or a name has several readings
// and nothing chose between them.
struct Reading {
    QString text;
    bool uncertain = false;
};

// Readings the user gave, by name folded as the same-book check folds it
// (width, kana and case aside, without blanks): whole names, and their family
// and given names on their own.
struct LearnedNames {
    QHash<QString, QString> names, families, givens;
    bool isEmpty() const { return names.isEmpty() && families.isEmpty() && givens.isEmpty(); }
};

// A name as learned readings are keyed.
QString learnedNameKey(const QString& name);

// Reads Japanese text into katakana. A person's or a company's name is read
// from the name data first (JMnedict, the SKK name dictionaries), choosing
// among their readings with MeCab's analyses; MeCab with its IPA dictionary
// reads the rest. A word nothing can read is read a kanji at a time (the name
// data's single-kanji names, KANJIDIC), so a reading never keeps a kanji.
// Text already in kana is its own reading; Latin text is kept as it is.
// Without a dictionary (not installed, unreadable, or of another layout) only
// that kana rule applies and limited() says so. One analyzer is used by one
// thread at a time.
class ReadingAnalyzer {
public:
    // The name data come from the index at `nameIndex` (the program's shared
    // one by default; none when empty).
    ReadingAnalyzer();
    explicit ReadingAnalyzer(const QString& nameIndex);
    ~ReadingAnalyzer();
    ReadingAnalyzer(const ReadingAnalyzer&) = delete;
    ReadingAnalyzer& operator=(const ReadingAnalyzer&) = delete;

    bool limited() const { return !m_mecab; }
    bool hasNameData() const { return m_names != nullptr; }
    // Why readings are limited, for the status bar; empty when they are not.
    QString limitation() const { return m_limitation; }

    Reading read(const QString& text, ReadingKind kind,
                 const LearnedNames* learned = nullptr) const;
    QString reading(const QString& text, ReadingKind kind) const { return read(text, kind).text; }
    // Readings worth offering for a text, the one read() gives first: the
    // name data's, MeCab's best analyses, at most `most`.
    QStringList candidates(const QString& text, ReadingKind kind, int most = 12) const;
    // MeCab's best analysis alone, read token by token, as readings were made
    // before the name data were used (to tell such a reading from one the
    // user typed).
    QString plainReading(const QString& text) const;

private:
    struct MeCabParts;
    struct NameChoice {
        QString reading;
        int familyLength = -1;
        bool certain = true;
    };
    NameChoice chooseName(const std::vector<NameEntry>& entries, const QString& text,
                          bool personOnly) const;
    Reading textReading(const QString& text) const;
    Reading organisationReading(const QString& text) const;
    Reading nameReading(const QString& name, const LearnedNames* learned) const;
    Reading namePartReading(const QString& part, bool family, const LearnedNames* learned) const;
    Reading unknownNamePartReading(const QString& part, bool family) const;
    Reading mecabNamePart(const QString& part, bool family) const;
    Reading givenNameByEndings(const QString& part) const;
    Reading wordReading(const QString& word) const;
    QString kanjiReading(QChar kanji, bool inName) const;
    QString chooseByMeCab(const QStringList& readings, const QString& text, bool personOnly) const;
    static QString givenNameEnding(QChar last);

    std::unique_ptr<MeCabParts> m_mecab;
    std::unique_ptr<NameIndex> m_names;
    QString m_limitation;
};

}  // namespace quillo
