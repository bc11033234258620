#pragma once

#include <vector>

#include "engine/packed_row.h"

namespace quillo {

// One term of an ORDER BY: a column of the row, compared by code point (SQLite's
// BINARY) or in the JIS collation, ascending or descending.
struct RowOrderKey {
    int field = 0;
    bool jis = false;
    bool descending = false;
};

// Places rows in memory exactly where SQLite's ORDER BY on the same terms places
// them: NULL before numbers, numbers before texts, texts by their collation; a
// descending term reverses all of that. Rows the terms cannot tell apart are
// equal, so the terms should end with a unique column.
class RowOrder {
public:
    explicit RowOrder(std::vector<RowOrderKey> keys) : m_keys(std::move(keys)) {}

    int compare(const PackedRow& a, const PackedRow& b) const;
    bool operator()(const PackedRow& a, const PackedRow& b) const { return compare(a, b) < 0; }
    // A key per row that compares byte by byte as compare() compares the rows,
    // for sorting many rows: each row is looked at once instead of at every
    // comparison.
    QByteArray key(const PackedRow& row) const { return appendKey(row, QByteArray()); }
    QByteArray appendKey(const PackedRow& row, QByteArray key) const;

private:
    std::vector<RowOrderKey> m_keys;
};

}  // namespace quillo
