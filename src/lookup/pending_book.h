#pragma once

#include "lookup/ndl_book.h"

namespace quillo {

class BookReadings;
class TDM;

// A looked-up book added as a pending book of the store, with the record's
// readings (a name's learned, as a correction is) and its ISBN; its ID.
qint64 appendLookedUpBook(TDM& store, const BookFromRecord& book);

// A reading the record gives, made whole: where it reads only the start of the
// text (a body under its parent's heading, a title before its volume), the
// rest is read as a title's words are. Empty when the record gives none.
QString wholeReading(const QString& text, const QString& reading, qsizetype readLength, int field,
                     const BookReadings& readings);

}  // namespace quillo
