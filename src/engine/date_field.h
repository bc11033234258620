#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <chrono>
#include <optional>

namespace quillo {

// Dates are stored as ISO 8601 text ("YYYY-MM-DD") and shown as "yyyy/mm/dd".

// The stored form of a shown date; nothing when the text is not exactly
// "yyyy/mm/dd" of a real calendar date.
std::optional<QByteArray> shownDateToStored(const QString& shown);

// The shown form of a stored date; a stored text of another form is shown as it is.
QString storedDateToShown(QByteArrayView stored);

std::optional<std::chrono::year_month_day> storedDateToYmd(QByteArrayView stored);

}  // namespace quillo
