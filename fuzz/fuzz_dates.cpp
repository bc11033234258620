// Date and era texts: any text converts or is refused, and an era text made from
// a Western date converts back to it.
#include "csv/csv_exchange.h"
#include "edit/date_text.h"
#include "fuzz_support.h"

using namespace quillo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        setDateBeep([] {});
        return true;
    }();
    Q_UNUSED(quiet);
    const QString text = QString::fromUtf8(fuzz::bytesOf(data, size));
    const QString era = WesternToEraText(text);
    if (!era.isEmpty() && EraToWesternText(era) != text)
        fuzz::broken("a Western date did not come back from its era text");
    const QString western = EraToWesternText(text);
    if (!western.isEmpty() && WesternToEraText(western) != text)
        fuzz::broken("an era date did not come back from its Western text");
    FormatDateText(text);
    DateTextToStore(text, DateForm::Era);
    DateTextToStore(text, DateForm::Western);
    // A CSV date that is taken is a real date, and reads back as itself (or is
    // another program's "no date", taken as none).
    for (int format = 0; format < 3; ++format) {
        const auto date = readCsvDate(text, format);
        if (date && !date->isEmpty() && readCsvDate(*date, 0) != date)
            fuzz::broken("a CSV date does not read back as itself");
    }
    return 0;
}
