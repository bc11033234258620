#pragma once

#include <QPlainTextEdit>
#include <QValidator>

namespace quillo {

// Refuses, with a beep, any text that Shift-JIS cannot hold or that would pass a
// limit counted in Shift-JIS bytes, so a later CSV export never loses a character.
// A one-line field also refuses line breaks and NULs (a paste can carry them),
// which would break the lines of the CSV and settings files.
// The limit is on typing: a stored text that is already longer (from another
// program or an import) is shown whole and may be shortened, never lengthened.
class SjisLimitValidator : public QValidator {
public:
    SjisLimitValidator(int maxBytes, QObject* parent)
        : QValidator(parent), m_maxBytes(maxBytes), m_allowance(maxBytes) {}
    State validate(QString& input, int& pos) const override;
    // The text now loaded into the field, which sets how long it may be.
    void loaded(const QString& text);

private:
    int m_maxBytes;
    int m_allowance;
};

// The same rule for a multi-line text: a change that breaks it is undone. It
// belongs to its box and lives as long as the box.
class PlainTextSjisLimit : public QObject {
public:
    PlainTextSjisLimit(QPlainTextEdit* edit, int maxBytes);
    // Loads a stored text into the box whole, whatever its length.
    void load(const QString& text);

private:
    void changed();

    QPlainTextEdit* m_edit;
    int m_maxBytes;
    int m_allowance;
    QString m_lastGood;
};

}  // namespace quillo
