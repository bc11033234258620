#include "edit/date_text.h"

#include <array>

namespace quillo {

namespace {

using namespace std::chrono;

std::function<void()>& beepHook() {
    static std::function<void()> beep;
    return beep;
}

void beep() {
    if (beepHook())
        beepHook()();
}

struct Era {
    char letter;
    year_month_day firstDay;  // the first day an era date stands for
    int firstYear;            // the Western year of the era's year 1
};

// Newest first. Heisei ended on 30 April 2019; Reiwa began the next day. Meiji
// dates are those of the Gregorian calendar, which Japan took up on 1 January
// 1873 (Meiji 6): earlier dates were lunisolar and stay in Western form.
const std::array<Era, 5> kEras = {{
    {'R', year(2019) / May / 1, 2019},
    {'H', year(1989) / January / 8, 1989},
    {'S', year(1926) / December / 25, 1926},
    {'T', year(1912) / July / 30, 1912},
    {'M', year(1873) / January / 1, 1868},
}};

// Reads a run of decimal digits of exactly the given width.
std::optional<int> digits(const QString& text, qsizetype from, int width) {
    int value = 0;
    for (int i = 0; i < width; ++i) {
        const QChar c = text.at(from + i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

std::optional<year_month_day> makeDate(int y, int m, int d) {
    const year_month_day date{year(y), month(static_cast<unsigned>(m)),
                              day(static_cast<unsigned>(d))};
    if (m < 1 || d < 1 || !date.ok())
        return std::nullopt;
    return date;
}

std::optional<year_month_day> readWestern(const QString& text) {
    if (text.size() != 10 || text[4] != QLatin1Char('/') || text[7] != QLatin1Char('/'))
        return std::nullopt;
    const auto y = digits(text, 0, 4), m = digits(text, 5, 2), d = digits(text, 8, 2);
    if (!y || !m || !d)
        return std::nullopt;
    return makeDate(*y, *m, *d);
}

std::optional<year_month_day> readEra(const QString& text) {
    if (text.size() != 9 || text[3] != QLatin1Char('/') || text[6] != QLatin1Char('/'))
        return std::nullopt;
    const Era* era = nullptr;
    const Era* next = nullptr;  // the era that followed it, if any
    for (size_t i = 0; i < kEras.size(); ++i) {
        if (text[0] == QLatin1Char(kEras[i].letter)) {
            era = &kEras[i];
            next = i > 0 ? &kEras[i - 1] : nullptr;
        }
    }
    const auto n = digits(text, 1, 2), m = digits(text, 4, 2), d = digits(text, 7, 2);
    if (!era || !n || !m || !d || *n < 1)
        return std::nullopt;
    const auto date = makeDate(era->firstYear + *n - 1, *m, *d);
    // A day outside the era (before it began, or once the next one had begun)
    // belongs to another era: no such era date. "H81" is no year of 2069.
    if (!date || sys_days(*date) < sys_days(era->firstDay) ||
        (next && sys_days(*date) >= sys_days(next->firstDay)))
        return std::nullopt;
    return date;
}

QString westernText(const year_month_day& date) {
    return QString::asprintf("%04d/%02u/%02u", static_cast<int>(date.year()),
                             static_cast<unsigned>(date.month()),
                             static_cast<unsigned>(date.day()));
}

}  // namespace

void setDateBeep(std::function<void()> hook) {
    beepHook() = std::move(hook);
}

QString FormatDateText(std::optional<year_month_day> date) {
    // 1899-12-30 is the zero date of the original storage and means "no date".
    if (!date || *date == year_month_day{year(1899) / December / 30})
        return kWesternEmptyDate;
    return westernText(*date);
}

QString FormatDateText(const QString& storeText) {
    if (storeText.isEmpty())
        return kWesternEmptyDate;
    const auto date = readWestern(storeText);
    return date ? FormatDateText(date) : storeText;
}

QString WesternToEraText(const QString& western) {
    if (western == kWesternEmptyDate)
        return QString();
    const auto date = readWestern(western);
    if (!date) {
        beep();
        return QString();
    }
    for (const Era& era : kEras) {
        if (sys_days(*date) >= sys_days(era.firstDay)) {
            const int eraYear = static_cast<int>(date->year()) - era.firstYear + 1;
            if (eraYear > 99)
                return QString();  // the era form holds two digits of year: no era text
            return QString::asprintf("%c%02d/%02u/%02u", era.letter, eraYear,
                                     static_cast<unsigned>(date->month()),
                                     static_cast<unsigned>(date->day()));
        }
    }
    return QString();  // before the eras the calendar covers: no era text, no beep
}

QString EraToWesternText(const QString& era) {
    if (era == kEraEmptyDate)
        return QString();
    const auto date = readEra(era);
    if (!date) {
        beep();
        return QString();
    }
    return westernText(*date);
}

bool IsWesternDateText(const QString& text) {
    return readWestern(text).has_value();
}

void DateConversionBeep() {
    beep();
}

bool IsEmptyDateText(const QString& text) {
    return text == kWesternEmptyDate || text == kEraEmptyDate;
}

QString DateTextToStore(const QString& text, DateForm form) {
    if (IsEmptyDateText(text))
        return QString();
    if (form == DateForm::Western)
        return text;
    return EraToWesternText(text);
}

}  // namespace quillo
