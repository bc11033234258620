#pragma once

#include "store/store_host.h"

namespace quillo {

// The store's host for runs without a main window (the command-line tool, the
// benchmarks): it keeps the largest ID, reads default settings, shows nothing,
// and answers questions with Yes.
class HeadlessStoreHost : public StoreHost {
public:
    int maxId = 0;
    int MaxId() const override { return maxId; }
    void SetMaxId(int id) override { maxId = id; }
    SortSettings sortSettings() const override { return {}; }
    QString filterText() const override { return {}; }
    FieldFlags filterFields() const override { return {}; }
    int viewType() const override { return 0; }
    void RefreshRecordStatus() override {}
    void SetPendingMode(bool) override {}
    void RefreshNavigation() override {}
    void FillCard() override {}
    int AskConfirmation(const QString&) override { return 6; }
};

}  // namespace quillo
