#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "lookup/ndl_record.h"

namespace quillo {

// A book as the catalogue keeps it, made from a library record: the fields
// and the readings the library gives for title, writers and publisher.
struct BookFromRecord {
    QString title, titleReading;
    QString subtitle;              // the title's part after " : ", and the edition
    std::vector<NdlName> writers;  // at most five: "東野 圭吾", "ヒガシノ ケイゴ"
    NdlName translator;
    NdlName publisher;
    QString pubDate;   // "2010/06/01", or empty when the record gives no year
    QString dateNote;  // what the record said where the date was not a full day
    QString isbn13;
    QByteArray cover;  // the library's thumbnail as a cover (JPEG), empty when it has none
};

// The record that best answers for an ISBN: a printed book holding it first.
std::optional<NdlRecord> bestRecord(const std::vector<NdlRecord>& records, const QString& isbn13);

BookFromRecord bookFromRecord(const NdlRecord& record, const QString& isbn13);

// "東野, 圭吾, 1958-" → "東野 圭吾"; "ヒガシノ, ケイゴ" → "ヒガシノ ケイゴ".
QString nameFromHeading(const QString& heading);

}  // namespace quillo
