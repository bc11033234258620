#pragma once

#include "store/store_host.h"

namespace quillo {

// The store's host for runs without a main window (the command-line tool, the
// benchmarks, the report tool): it keeps the largest ID, reads the order and
// filter it is given (the defaults unless told), shows nothing, and deletes
// without asking.
class HeadlessStoreHost : public StoreHost {
public:
    int maxId = 0;
    SortSettings sort;  // the order and filter the store reads by
    QString filter;
    FieldFlags filterFlags{};
    int MaxId() const override { return maxId; }
    void SetMaxId(int id) override { maxId = id; }
    SortSettings sortSettings() const override { return sort; }
    QString filterText() const override { return filter; }
    FieldFlags filterFields() const override { return filterFlags; }
    void booksCounted() override {}
    void changesPending() override {}
    void currentBookMoved() override {}
    bool deleteConfirmed(const QString&) override { return true; }
};

}  // namespace quillo
