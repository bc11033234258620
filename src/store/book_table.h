#pragma once

#include <QString>

#include "engine/catalogue_file.h"

namespace quillo {

// The book table as a catalogue file holds it: `quillo`, its fourteen columns
// (from the field table) with `ID` the INTEGER PRIMARY KEY, and the statement
// that makes it.
const TableSchema& bookTableSchema();

// Creates a new, empty catalogue at a path where no file is yet; never touches
// an existing file. Throws EngineError naming the path.
void CreateCatalogue(const QString& path);
// The same where no file is yet; an existing file is left for the checks of
// opening. True when a catalogue was created.
bool CreateCatalogueIfMissing(const QString& path);

}  // namespace quillo
