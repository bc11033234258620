#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "lookup/ndl_book.h"

namespace quillo {

class TDM;
class NdlLookup;

// Books added by their ISBNs: each number checked, looked up at the National
// Diet Library (a second apart, as the library asks) and added as a pending
// book with the record's fields, readings and ISBN; a number already in the
// catalogue or given twice is not added again. `say` gets a line per number.
// The books go in with one apply. Returns how many were added.
int addBooksByIsbn(TDM& store, NdlLookup& lookup, const QStringList& numbers,
                   const std::function<void(const QString&)>& say);

}  // namespace quillo
