#pragma once

#include <QString>

#include "store/book_record.h"

namespace quillo::bench {

// Made-up but realistic books, the same for the same seed: Japanese titles and
// names, a few empty dates and memos.
class CatalogueGenerator {
public:
    explicit CatalogueGenerator(unsigned seed = 20261207) : m_state(seed) {}
    BookRecord next(qint64 id);

private:
    unsigned pick(unsigned n);
    unsigned m_state;
};

// Writes `count` generated books into the book table of the database at `path`,
// with every third ID used so that renumbering has gaps to close.
void generateCatalogue(const QString& path, int count, unsigned seed = 20261207);

}  // namespace quillo::bench
