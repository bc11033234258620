#pragma once

#include "lookup/ndl_book.h"

namespace quillo {

class TDM;

// A looked-up book added as a pending book of the store, with the record's
// readings (a name's learned, as a correction is) and its ISBN; its ID.
qint64 appendLookedUpBook(TDM& store, const BookFromRecord& book);

}  // namespace quillo
