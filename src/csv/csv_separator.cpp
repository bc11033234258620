#include "csv/csv_separator.h"

#include <array>

#include "csv/csv_reader.h"

namespace quillo {

namespace {

// Lines enough to judge by; a file's first lines are its usual ones.
constexpr int kLinesLooked = 200;

struct Candidate {
    QChar separator;
    int fields = -1;       // fields of every line, or 0 when lines differ
    int linesCut = 0;      // lines it cuts into two fields or more
    qint64 allFields = 0;  // fields over all the lines
};

}  // namespace

QChar findCsvSeparator(const QString& fileName, CsvEncoding encoding) {
    std::array<Candidate, 3> candidates = {
        Candidate{QLatin1Char(',')}, Candidate{QLatin1Char('\t')}, Candidate{QLatin1Char(';')}};
    CsvRecordReader reader(QLatin1Char(','), encoding);
    bool utf16 = false;
    try {
        reader.open(fileName);
        utf16 = reader.isUtf16();
        int looked = 0;
        while (looked < kLinesLooked && reader.next()) {
            if (!reader.readable() || reader.record().trimmed().isEmpty())
                continue;
            ++looked;
            for (Candidate& c : candidates) {
                const int fields =
                    static_cast<int>(TCSV::splitRfc4180(reader.record(), c.separator).size());
                c.fields = c.fields < 0 || c.fields == fields ? fields : 0;
                c.linesCut += fields >= 2;
                c.allFields += fields;
            }
        }
    } catch (const CsvFileError&) {
        return utf16 ? QLatin1Char('\t') : QLatin1Char(',');
    }
    if (utf16)
        std::swap(candidates[0], candidates[1]);  // tab first, then comma
    auto layout = [](int fields) { return fields == 12 || fields == 15; };
    const Candidate* best = nullptr;
    for (const Candidate& c : candidates) {
        if (c.fields < 2)
            continue;
        if (!best || (layout(c.fields) && !layout(best->fields)) ||
            (layout(c.fields) == layout(best->fields) && c.fields > best->fields))
            best = &c;
    }
    if (!best) {
        for (const Candidate& c : candidates)
            if (c.linesCut > 0 && (!best || c.linesCut > best->linesCut ||
                                   (c.linesCut == best->linesCut && c.allFields > best->allFields)))
                best = &c;
    }
    return best ? best->separator : candidates[0].separator;
}

QString csvSeparatorName(QChar separator) {
    if (separator == QLatin1Char('\t'))
        return QStringLiteral("タブ");
    if (separator == QLatin1Char(';'))
        return QStringLiteral("セミコロン");
    return QStringLiteral("コンマ");
}

}  // namespace quillo
