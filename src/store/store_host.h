#pragma once

#include <QString>

#include "store/book_record.h"
#include "store/query_builder.h"

namespace quillo {

// What the catalogue store needs of the main window: the largest ID handed out,
// the settings it reads, the status refreshes it triggers and the delete question.
class StoreHost {
public:
    virtual ~StoreHost() = default;

    virtual int MaxId() const = 0;
    virtual void SetMaxId(int id) = 0;

    virtual SortSettings sortSettings() const = 0;
    virtual QString filterText() const = 0;
    virtual FieldFlags filterFields() const = 0;
    virtual int viewType() const = 0;

    virtual void RefreshRecordStatus() = 0;
    virtual void SetPendingMode(bool on) = 0;
    virtual void RefreshNavigation() = 0;
    virtual void FillCard() = 0;

    // A modal question over the main window; returns 6 for Yes.
    virtual int AskConfirmation(const QString& text) = 0;
};

}  // namespace quillo
