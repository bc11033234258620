#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <optional>

namespace quillo {

// Date texts of the record editor: the Western form "yyyy/mm/dd" and the
// Japanese-era form such as "H11/03/15", each with a fixed-width empty form.
inline const QString kWesternEmptyDate = QStringLiteral("    /  /  ");
inline const QString kEraEmptyDate = QStringLiteral("   /  /  ");
inline const QString kWesternDateMask = QStringLiteral("!9999/99/99;1;_");
inline const QString kEraDateMask = QStringLiteral("!C99/99/99;1;_");

enum class DateForm { Western, Era };

// A failed conversion is signalled by the system beep only. The windows install
// the real beep; tests install a counter.
void setDateBeep(std::function<void()> beep);

// The Western text of a stored date, or the Western empty form for no date.
QString FormatDateText(std::optional<std::chrono::year_month_day> date);
// The same for the store's text of a date ("yyyy/mm/dd" or empty).
QString FormatDateText(const QString& storeText);

// Western text to era text; the empty text for the empty form, for a date before
// the eras or past an era's 99th year (no beep) and for a text that is no date
// (with a beep).
QString WesternToEraText(const QString& western);
// Era text to Western text; the empty text for the empty form (no beep) and for a
// text that is no era date (with a beep).
QString EraToWesternText(const QString& era);

// Whether a Western text names a real day.
bool IsWesternDateText(const QString& text);
// The beep of a failed conversion, for callers that find the failure themselves.
void DateConversionBeep();

// True exactly for the two empty forms; nothing is trimmed.
bool IsEmptyDateText(const QString& text);

// The text a date field hands to the store; the empty text means no date.
QString DateTextToStore(const QString& text, DateForm form);

}  // namespace quillo
