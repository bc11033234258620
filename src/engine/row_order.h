#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <optional>
#include <vector>

#include "engine/packed_row.h"

namespace quillo {

// Blobs kept apart from the rows, each found by a row's ID (none: NULL).
class BlobSource {
public:
    virtual ~BlobSource() = default;
    virtual std::optional<QByteArrayView> find(qint64 id) const = 0;
};

// Blobs all in memory: one block of bytes and, for the IDs a catalogue uses
// (1 to a little over its count), an array of places indexed by ID, so
// sorting 100,000 rows finds each blob at once.
class BlobsById : public BlobSource {
public:
    void clear();
    void reserve(qsizetype ids, qsizetype bytes);
    void insert(qint64 id, QByteArrayView blob);
    void remove(qint64 id);
    std::optional<QByteArrayView> find(qint64 id) const override;

private:
    struct Place {  // eight bytes: the array holds one for every ID
        quint32 start = 0;
        qint32 size = -1;  // none
    };
    QByteArray m_bytes;
    std::vector<Place> m_places;            // by ID
    QHash<qint64, QByteArray> m_elsewhere;  // IDs far outside the array
    qint64 m_inserted = 0;
};

// One term of an ORDER BY: a column of the row, compared by code point (SQLite's
// BINARY) or in the JIS collation, ascending or descending.
struct RowOrderKey {
    int field = 0;
    bool jis = false;
    bool descending = false;
    // When set, the term is a blob kept apart from the rows, found by the row's
    // integer in `field` (its key); a row without one counts as NULL.
    const BlobSource* blobs = nullptr;
};

// Places rows in memory exactly where SQLite's ORDER BY on the same terms places
// them: NULL before numbers, numbers before texts, texts by their collation; a
// descending term reverses all of that. Rows the terms cannot tell apart are
// equal, so the terms should end with a unique column.
class RowOrder {
public:
    explicit RowOrder(std::vector<RowOrderKey> keys) : m_keys(std::move(keys)) {}

    // A key per row: keys compared byte by byte (shorter first when one is the
    // start of the other) order the rows. Made once per row, so sorting many
    // rows looks at each row once instead of at every comparison.
    QByteArray key(const PackedRow& row) const { return appendKey(row, QByteArray()); }
    QByteArray appendKey(const PackedRow& row, QByteArray key) const;
    static bool less(QByteArrayView a, QByteArrayView b);

private:
    std::vector<RowOrderKey> m_keys;
};

}  // namespace quillo
