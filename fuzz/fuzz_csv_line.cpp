// The CSV line codec: both splitting rules on any line, with any separator.
#include "csv/csv_codec.h"
#include "fuzz_support.h"

using namespace quillo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString line = QString::fromUtf8(fuzz::bytesOf(data, size));
    for (QChar separator : {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')}) {
        const QStringList rfc = TCSV::splitRfc4180(line, separator);
        TCSV::splitLegacy(line, separator);
        // Without quotes, RFC 4180 fields are the line cut at its separators.
        if (!line.isEmpty() && !line.contains(QLatin1Char('"')) && rfc.join(separator) != line)
            fuzz::broken("unquoted fields do not join back into the line");
        TCSV csv;
        csv.Separator = separator;
        csv.Split = CsvSplit::Auto;
        csv.ExpectedFields = 12;
        csv.setSrcStrings({line});
        csv.ExtractCsvLine(0);
        // A line that is taken gives exactly the twelve fields, never more.
        const CsvFields read = csv.readFields(line);
        if (read.problem.isEmpty() && !line.isEmpty() && read.fields.size() != 12)
            fuzz::broken("a line taken without twelve fields");
    }
    return 0;
}
