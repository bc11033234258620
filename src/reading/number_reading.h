#pragma once

#include <QString>

namespace quillo {

// How a number written in digits (ASCII or full-width) is read, in katakana:
// 1973 センキュウヒャクナナジュウサン, 300 サンビャク, 8000 ハッセン, 10000
// イチマン. A number too long to be read as one (more than sixteen digits, or
// with a leading zero) is read digit by digit. Empty when `digits` holds
// anything but digits.
QString numberReading(const QString& digits);

}  // namespace quillo
