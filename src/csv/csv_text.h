#pragma once

// Text helpers the CSV reader and line codec share.
#include <QChar>
#include <QList>
#include <QString>
#include <utility>

namespace quillo {

inline bool isCsvBlank(QChar c) {
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// A file's lines with the break that ended each, so lines joined again give back
// the text exactly. Unlike other text files, a NUL does not end a CSV file: its
// line is refused instead, so no line after it is lost unseen. A lone CR ends
// a line only in a file whose lines end so (an old Mac's): in a file of LF or
// CR LF lines it is a character of its field, as pandas writes one unquoted.
template <typename Text>
QList<std::pair<Text, Text>> linesWithBreaks(const Text& text, bool loneCrEndsLine = true) {
    using Char = typename Text::value_type;
    const Char cr = Char(13), lf = Char(10);
    QList<std::pair<Text, Text>> lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != cr && text[i] != lf)
            continue;
        if (text[i] == cr && !loneCrEndsLine && (i + 1 >= n || text[i + 1] != lf))
            continue;
        const qsizetype breakLength = text[i] == cr && i + 1 < n && text[i + 1] == lf ? 2 : 1;
        lines.append({text.mid(start, i - start), text.mid(i, breakLength)});
        i += breakLength - 1;
        start = i + 1;
    }
    if (start < n)
        lines.append({text.mid(start), Text()});
    return lines;
}

// Whether a line ends inside a quoted field, so the field goes on in the next
// line. A quote opens a field only at its start (blanks before it allowed).
inline bool endsInsideQuotes(const QString& line, QChar separator) {
    bool atStart = true;
    bool quoted = false;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c != QLatin1Char('"'))
                continue;
            if (i + 1 < n && line[i + 1] == QLatin1Char('"'))
                ++i;
            else
                quoted = false;
        } else if (c == separator) {
            atStart = true;
        } else if (atStart && c == QLatin1Char('"')) {
            quoted = true;
            atStart = false;
        } else if (!isCsvBlank(c)) {
            atStart = false;
        }
    }
    return quoted;
}

}  // namespace quillo
