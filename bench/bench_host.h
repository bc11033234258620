#pragma once

#include "store/store_host.h"

namespace quillo::bench {

// The main window's side of the store, without windows.
class BenchHost : public StoreHost {
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

}  // namespace quillo::bench
