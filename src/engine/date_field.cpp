#include "engine/date_field.h"

namespace quillo {

namespace {

// Reads "dddd<sep>dd<sep>dd" into a valid calendar date.
std::optional<std::chrono::year_month_day> parseDate(QByteArrayView text, char separator) {
    if (text.size() != 10 || text[4] != separator || text[7] != separator)
        return std::nullopt;
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < lengths[p]; ++i) {
            const char c = text[starts[p] + i];
            if (c < '0' || c > '9')
                return std::nullopt;
            parts[p] = parts[p] * 10 + (c - '0');
        }
    }
    const std::chrono::year_month_day ymd{std::chrono::year(parts[0]),
                                          std::chrono::month(static_cast<unsigned>(parts[1])),
                                          std::chrono::day(static_cast<unsigned>(parts[2]))};
    if (!ymd.ok())
        return std::nullopt;
    return ymd;
}

}  // namespace

std::optional<QByteArray> shownDateToStored(const QString& shown) {
    const QByteArray latin = shown.toLatin1();
    if (shown.size() != latin.size() || !parseDate(latin, '/'))
        return std::nullopt;
    QByteArray stored = latin;
    stored[4] = '-';
    stored[7] = '-';
    return stored;
}

std::optional<std::chrono::year_month_day> storedDateToYmd(QByteArrayView stored) {
    return parseDate(stored, '-');
}

QString storedDateToShown(QByteArrayView stored) {
    if (!parseDate(stored, '-'))
        return QString::fromUtf8(stored);
    QByteArray shown = stored.toByteArray();
    shown[4] = '/';
    shown[7] = '/';
    return QString::fromLatin1(shown);
}

}  // namespace quillo
