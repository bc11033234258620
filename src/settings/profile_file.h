#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

#include "platform/quillo_error.h"

namespace quillo {

class SettingsFileError : public QuilloError {
public:
    using QuilloError::QuilloError;
};

// An INI file ("profile file") in Shift-JIS with CR LF lines, read and written the
// way Windows profile files behave: sections and keys match without regard to
// case, keys and values are trimmed, a key that exists is replaced where it
// stands, a new key goes to the end of its section, a new section to the end of
// the file, and every other line survives a save untouched.
class ProfileFile {
public:
    // A missing or unreadable file reads as a file without keys. A file in UTF-8
    // (with or without its mark) is read as UTF-8; in a file that is neither,
    // every line that reads as either is kept and only the others are lost.
    explicit ProfileFile(const QString& path);

    // Whether the file was read as the Shift-JIS file it should be (a missing
    // file counts as clean).
    bool readCleanly() const { return m_clean; }

    QString path() const { return m_path; }
    bool contains(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    void writeString(const QString& section, const QString& key, const QString& value);

    // Writes the whole file to a temporary file beside it and renames it over the
    // old one, so the old file stays whole if anything fails; throws on failure.
    // A file that was not read cleanly is first copied to "<name>.bak"; the copy's
    // path is returned then, an empty text otherwise.
    QString save() const;

    QStringList lines() const { return m_lines; }

private:
    qsizetype sectionLine(const QString& section) const;
    qsizetype keyLine(qsizetype sectionStart, const QString& key) const;
    qsizetype sectionEnd(qsizetype sectionStart) const;

    QString m_path;
    QStringList m_lines;
    bool m_clean = true;
};

}  // namespace quillo
