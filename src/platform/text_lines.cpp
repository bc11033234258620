#include "platform/text_lines.h"

namespace quillo {

namespace {

template <typename Text, typename Lines>
Lines split(Text text) {
    using Char = typename Text::value_type;
    const Char cr = Char(13), lf = Char(10);
    const qsizetype zero = text.indexOf(Char(0));
    if (zero >= 0)
        text.truncate(zero);
    Lines lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = text[i];
        if (c != cr && c != lf)
            continue;
        lines.append(text.mid(start, i - start));
        if (c == cr && i + 1 < n && text[i + 1] == lf)
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

}  // namespace

QList<QByteArray> splitTextLines(QByteArray bytes) {
    return split<QByteArray, QList<QByteArray>>(std::move(bytes));
}

QStringList splitTextLines(QString text) {
    return split<QString, QStringList>(std::move(text));
}

}  // namespace quillo
