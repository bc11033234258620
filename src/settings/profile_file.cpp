#include "settings/profile_file.h"

#include <QFile>

#include "platform/cp932.h"
#include "platform/output_file.h"
#include "platform/text_lines.h"
#include "platform/utf8_text.h"

namespace quillo {

namespace {

bool isSectionLine(const QString& line) {
    const QString t = line.trimmed();
    return t.startsWith(QLatin1Char('[')) && t.contains(QLatin1Char(']'));
}

QString sectionName(const QString& line) {
    const QString t = line.trimmed();
    return t.mid(1, t.indexOf(QLatin1Char(']')) - 1).trimmed();
}

// A line break or NUL in a value would start another key (or end the file) at
// the next read: whatever the source, they never reach the file.
QString oneLine(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    text.remove(QChar(0));
    return text;
}

}  // namespace

ProfileFile::ProfileFile(const QString& path) : m_path(path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray bytes = file.readAll();
    // A Linux editor may well have saved it as UTF-8; Shift-JIS text is practically
    // never valid UTF-8, so the two are told apart before anything is lost.
    const bool bom = bytes.startsWith(QByteArrayView(kUtf8Bom));
    if (bom)
        bytes.remove(0, sizeof(kUtf8Bom) - 1);
    if (bom || looksLikeUtf8(bytes)) {
        if (const std::optional<QString> text = decodeUtf8Strict(bytes)) {
            m_lines = splitTextLines(*text);
            m_clean = false;
            return;
        }
    } else if (const std::optional<QString> text = Cp932::decode(bytes)) {
        m_lines = splitTextLines(*text);
        return;
    }
    // Damaged: every line that reads is kept; the others fall back to defaults.
    m_clean = false;
    for (const QByteArray& line : splitTextLines(std::move(bytes))) {
        std::optional<QString> text = Cp932::decode(line);
        if (!text)
            text = decodeUtf8Strict(line);
        if (text)
            m_lines.append(*text);
    }
}

qsizetype ProfileFile::sectionLine(const QString& section) const {
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (isSectionLine(m_lines[i]) &&
            sectionName(m_lines[i]).compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype ProfileFile::sectionEnd(qsizetype sectionStart) const {
    qsizetype i = sectionStart + 1;
    while (i < m_lines.size() && !isSectionLine(m_lines[i]))
        ++i;
    return i;
}

qsizetype ProfileFile::keyLine(qsizetype sectionStart, const QString& key) const {
    const qsizetype end = sectionEnd(sectionStart);
    for (qsizetype i = sectionStart + 1; i < end; ++i) {
        const QString& line = m_lines[i];
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool ProfileFile::contains(const QString& section, const QString& key) const {
    const qsizetype s = sectionLine(section);
    return s >= 0 && keyLine(s, key) >= 0;
}

QString ProfileFile::readString(const QString& section, const QString& key,
                                const QString& fallback) const {
    const qsizetype s = sectionLine(section);
    const qsizetype k = s < 0 ? -1 : keyLine(s, key);
    if (k < 0)
        return fallback;
    const QString& line = m_lines[k];
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
}

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    const QString entry = oneLine(key) + QLatin1Char('=') + oneLine(value);
    qsizetype s = sectionLine(section);
    if (s < 0) {
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(entry);
        return;
    }
    const qsizetype k = keyLine(s, key);
    if (k >= 0) {
        m_lines[k] = entry;
        return;
    }
    // After the section's last non-empty line, so blank separator lines stay put.
    qsizetype at = sectionEnd(s);
    while (at > s + 1 && m_lines[at - 1].trimmed().isEmpty())
        --at;
    m_lines.insert(at, entry);
}

QString ProfileFile::save() const {
    QString text;
    for (const QString& line : m_lines)
        text += line + QLatin1String("\r\n");
    // Shift-JIS, as the file always was; a text Shift-JIS cannot hold (a filter
    // for Gödel, a name with 𠮷) makes the whole file UTF-8, with its mark so
    // it reads back as such.
    std::optional<QByteArray> bytes = Cp932::encode(text);
    if (!bytes)
        bytes = QByteArray(kUtf8Bom) + text.toUtf8();
    QString backup;
    if (!m_clean && QFile::exists(m_path)) {
        backup = m_path + QStringLiteral(".bak");
        QFile::remove(backup);
        if (!QFile::copy(m_path, backup))
            throw SettingsFileError(
                QStringLiteral("設定ファイル %1 の控え %2 を作れないため、保存しませんでした。")
                    .arg(m_path, backup));
    }
    QString reason;
    if (!replaceFileWhole(m_path, *bytes, &reason))
        throw SettingsFileError(
            QStringLiteral("設定ファイル %1 に書き込めません: %2").arg(m_path, reason));
    return backup;
}

}  // namespace quillo
