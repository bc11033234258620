#pragma once

#include <QChar>
#include <QString>

#include "csv/csv_codec.h"

namespace quillo {

// Finds a file's separator as a careful reader would: the one of comma, tab
// and semicolon that cuts every line into the same number of fields (outside
// quotes). Where several do, one that gives Quillo's twelve or fifteen
// columns, then the one that gives more; where none does, the one that cuts
// more lines. UTF-16 text ("Unicode text" from a spreadsheet) is taken as
// tab-separated unless its lines prove otherwise, other files as
// comma-separated. A file that cannot be read gives the default; reading it
// then says why.
QChar findCsvSeparator(const QString& fileName, CsvEncoding encoding);

// The separator's name for a message: "コンマ", "タブ", "セミコロン".
QString csvSeparatorName(QChar separator);

}  // namespace quillo
