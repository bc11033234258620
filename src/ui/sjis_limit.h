#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <QValidator>
#include <functional>

namespace quillo {

// What a field may hold: any character (é, ß, 𠮷, Hangul as well as kana and
// kanji), within a limit counted in Shift-JIS bytes, a character Shift-JIS
// cannot hold counted as two, as a kanji is. A stored text that is already
// longer is shown whole and may be shortened, never lengthened.
class SjisAllowance {
public:
    explicit SjisAllowance(int maxBytes) : m_maxBytes(maxBytes), m_bytes(maxBytes) {}
    void loaded(const QString& text);
    bool admits(const QString& text) const;

    // What a change may keep. `insertEnd` is where the typed or pasted piece
    // ends. A one-line field drops the line break that ends a pasted line; a
    // piece past the limit is cut at it; a line break inside a one-line text
    // refuses the change. `note` says what was cut or refused.
    struct Admission {
        bool refused = false;
        QString text;
        int cursor = 0;
        QString note;
    };
    Admission admit(QString text, int insertEnd, bool oneLine) const;

private:
    int m_maxBytes;
    int m_bytes;
};

// Shows what a field cut or refused, beside the field; set by the dialog.
using SjisNoteHook = std::function<void(const QString& note)>;

// The rule for a one-line field: a refused change beeps and is not made. A
// one-line field also refuses line breaks and NULs inside a text (a paste can
// carry them), which would break the lines of the CSV and settings files.
class SjisLimitValidator : public QValidator {
public:
    SjisLimitValidator(int maxBytes, QObject* parent) : QValidator(parent), m_allowance(maxBytes) {}
    State validate(QString& input, int& pos) const override;
    // The text now loaded into the field.
    void loaded(const QString& text) { m_allowance.loaded(text); }
    void setNoteHook(SjisNoteHook hook) { m_note = std::move(hook); }

private:
    SjisAllowance m_allowance;
    SjisNoteHook m_note;
};

// The same rule for a multi-line text: a change that breaks it is undone. It
// belongs to its box and lives as long as the box.
class PlainTextSjisLimit : public QObject {
public:
    PlainTextSjisLimit(QPlainTextEdit* edit, int maxBytes);
    // Loads a stored text into the box whole, whatever it holds.
    void load(const QString& text);
    void setNoteHook(SjisNoteHook hook) { m_note = std::move(hook); }

private:
    void changed();

    QPlainTextEdit* m_edit;
    SjisAllowance m_allowance;
    QString m_lastGood;
    SjisNoteHook m_note;
};

}  // namespace quillo
