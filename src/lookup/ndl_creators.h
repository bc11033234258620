#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "lookup/ndl_record.h"

namespace quillo {

// What a record's creators become in the catalogue, in a librarian's order.
struct BookCreators {
    std::vector<NdlName> writers;  // authors, then illustrators, editors, supervisors
    NdlName translator;            // every translator, joined with "、"
    // A line for each role other than an author's (監修: 情報科学技術協会), and
    // one for the writers past the fifth (ほかの著者: 林 和弘、林 豊).
    QStringList memo;
};

// The persons and bodies of a record: each statement of responsibility ("原田
// 智子, 江草由佳 共著") names some and their role; each is written as the
// library's heading for them writes it, with its reading (a foreign writer
// printed in katakana filed family name first; a body that is part of a
// heading read as that heading for its part). Creators no statement names
// (a series' editors) are left out, unless there is no statement at all, as
// for foreign books: then the headings are the writers. Linear in the number
// of creators.
BookCreators creatorsOf(const NdlRecord& record, size_t mostWriters);

// "東野, 圭吾, 1958-" → "東野 圭吾"; "ヒガシノ, ケイゴ" → "ヒガシノ ケイゴ";
// "Park, Linda Sue" → "Linda Sue Park".
QString nameFromHeading(const QString& heading);

}  // namespace quillo
