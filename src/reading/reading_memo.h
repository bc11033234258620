#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>
#include <unordered_map>

#include "reading/reading_analyzer.h"

namespace quillo {

// A reading as a pass over the books writes it: its text and bytes, its order
// key and its two searched forms, each made the first time it is needed.
struct MadeReading {
    QString text;  // null where there is no reading
    QByteArray utf8;
    bool uncertain = false;

    // The key the field sorts by: its numbers by value, the rest as kana.
    // `fieldText` is the field's text as stored, the reading's own.
    const QByteArray& orderKey(std::string_view fieldText) const;
    const QByteArray& searchedKana() const;    // folded, without blanks
    const QByteArray& searchedRomaji() const;  // as the filter matches romaji

private:
    mutable QByteArray m_key, m_kana, m_romaji;
    mutable std::string m_keyText;  // the text the key was made for
    mutable bool m_keyMade = false, m_formsMade = false;
    void makeForms() const;
};

// The readings of one pass over the books, made once per distinct text and
// kind: the same titles, writers and publishers come back book after book.
// Texts are looked up by their stored bytes, so a text seen before costs
// neither a conversion nor the analyzer.
class ReadingMemo {
public:
    // Without an analyzer, only kept readings can be asked for.
    explicit ReadingMemo(const ReadingAnalyzer* analyzer = nullptr,
                         const LearnedNames* learned = nullptr);

    // `utf8` is the book's text as stored; a null view is a NULL column.
    const MadeReading& of(std::string_view utf8, ReadingKind kind);
    // A reading kept from before (the user's, or one still good).
    const MadeReading& kept(std::string_view utf8);

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    using Memo = std::unordered_map<std::string, MadeReading, Hash, std::equal_to<>>;

    const ReadingAnalyzer* m_analyzer;
    const LearnedNames* m_learned;
    Memo m_read[3];
    Memo m_kept;
    MadeReading m_none;
};

}  // namespace quillo
