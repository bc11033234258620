#pragma once

#include <QStringList>

#include "store/store_host.h"

namespace quillo::test {

// The main window's side of the store, recording what the store asks of it and
// answering the delete question as the test says.
class RecordingHost : public StoreHost {
public:
    int maxId = 0;
    SortSettings sort;
    QString filter;
    FieldFlags filterFlags{};
    int view = 0;
    int answer = 6;  // Yes
    QStringList calls;
    QStringList questions;

    int MaxId() const override { return maxId; }
    void SetMaxId(int id) override { maxId = id; }
    SortSettings sortSettings() const override { return sort; }
    QString filterText() const override { return filter; }
    FieldFlags filterFields() const override { return filterFlags; }
    int viewType() const override { return view; }
    void RefreshRecordStatus() override { calls << QStringLiteral("RefreshRecordStatus"); }
    void SetPendingMode(bool on) override {
        calls << (on ? QStringLiteral("SetPendingMode(on)")
                     : QStringLiteral("SetPendingMode(off)"));
    }
    void RefreshNavigation() override { calls << QStringLiteral("RefreshNavigation"); }
    void FillCard() override { calls << QStringLiteral("FillCard"); }
    int AskConfirmation(const QString& text) override {
        questions << text;
        return answer;
    }
    int count(const QString& call) const { return static_cast<int>(calls.count(call)); }
};

inline FieldFlags flagsFor(std::initializer_list<int> fields) {
    FieldFlags flags{};
    for (int f : fields)
        flags[static_cast<size_t>(f)] = 1;
    return flags;
}

}  // namespace quillo::test
