#pragma once

#include <QString>
#include <memory>

namespace quillo {

// What a text is, for reading it: a title or a publisher is read as running
// text; a writer's name as a family and a given name, split where the user
// typed the blank between them.
enum class ReadingKind { Text, Name };

// Reads Japanese text into katakana with MeCab and its IPA dictionary. Text
// already in kana is its own reading; Latin text is kept as it is. Without a
// dictionary (not installed, or unreadable) only that kana rule applies and
// limited() says so. One analyzer is used by one thread at a time.
class ReadingAnalyzer {
public:
    ReadingAnalyzer();
    ~ReadingAnalyzer();
    ReadingAnalyzer(const ReadingAnalyzer&) = delete;
    ReadingAnalyzer& operator=(const ReadingAnalyzer&) = delete;

    bool limited() const { return !m_mecab; }
    // Why readings are limited, for the status bar; empty when they are not.
    QString limitation() const { return m_limitation; }

    QString reading(const QString& text, ReadingKind kind) const;

private:
    struct MeCabParts;
    QString textReading(const QString& text) const;
    QString nameReading(const QString& name) const;
    QString namePartReading(const QString& part, bool family) const;
    QString givenNameReading(const QString& part) const;
    static QString givenNameEnding(QChar last);

    std::unique_ptr<MeCabParts> m_mecab;
    QString m_limitation;
};

}  // namespace quillo
