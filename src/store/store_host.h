#pragma once

#include <QString>

#include "store/book_record.h"
#include "store/query_builder.h"

namespace quillo {

// What the catalogue store needs of whoever shows its books (the main window,
// or nothing in a tool): the largest ID handed out, the order and filter to read
// the books in, word of what changed, and an answer before a book is deleted.
class StoreHost {
public:
    virtual ~StoreHost() = default;

    virtual int MaxId() const = 0;
    virtual void SetMaxId(int id) = 0;

    virtual SortSettings sortSettings() const = 0;
    virtual QString filterText() const = 0;
    virtual FieldFlags filterFields() const = 0;

    // The number of books may have changed (an apply, a cancel, a delete).
    virtual void booksCounted() = 0;
    // A book was added, changed or deleted and waits to be applied.
    virtual void changesPending() = 0;
    // The current book moved, or its texts changed.
    virtual void currentBookMoved() = 0;
    // Asked before the current book (of this title) is deleted: true to delete.
    virtual bool deleteConfirmed(const QString& title) = 0;
};

}  // namespace quillo
