#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "lookup/ndl_creators.h"
#include "lookup/ndl_record.h"

namespace quillo {

// A book as the catalogue keeps it, made from a library record: the fields
// and the readings the library gives for title, writers and publisher, each
// text cut to what its field holds.
struct BookFromRecord {
    QString title, titleReading;
    qsizetype titleReadLength = -1;  // as NdlName::readLength: a volume the record does not read
    QString subtitle;                // the title's part after " : ", and the edition
    std::vector<NdlName> writers;    // at most five: "東野 圭吾", "ヒガシノ ケイゴ"
    NdlName translator;              // every translator: "當山 仁健、鴨澤 眞夫"
    NdlName publisher;
    QString pubDate;  // "2010/06/01", or empty when the record gives no year
    // What the record says that no field holds, a line each: the date where it
    // was not a full day, the roles other than an author's, the writers past
    // the fifth.
    QString memo;
    QString isbn13;
    QByteArray cover;   // the library's thumbnail as a cover (JPEG), empty when it has none
    QStringList notes;  // what was cut to fit its field, for the user
};

// The record that best answers for an ISBN: a printed book holding it first.
std::optional<NdlRecord> bestRecord(const std::vector<NdlRecord>& records, const QString& isbn13);

BookFromRecord bookFromRecord(const NdlRecord& record, const QString& isbn13);

// The notes of a book found, to follow what is said of it: "（書名は長すぎるため…）",
// or nothing.
QString notesOf(const BookFromRecord& book);

}  // namespace quillo
