#pragma once

#include <QStringList>

#include "store/store_host.h"

namespace quillo::test {

// The main window's side of the store, recording what the store tells it and
// answering the delete question as the test says.
class RecordingHost : public StoreHost {
public:
    int maxId = 0;
    SortSettings sort;
    QString filter;
    FieldFlags filterFlags{};
    bool answer = true;  // delete
    QStringList calls;
    QStringList questions;  // the titles asked about

    int MaxId() const override { return maxId; }
    void SetMaxId(int id) override { maxId = id; }
    SortSettings sortSettings() const override { return sort; }
    QString filterText() const override { return filter; }
    FieldFlags filterFields() const override { return filterFlags; }
    void booksCounted() override { calls << QStringLiteral("booksCounted"); }
    void changesPending() override { calls << QStringLiteral("changesPending"); }
    void currentBookMoved() override { calls << QStringLiteral("currentBookMoved"); }
    bool deleteConfirmed(const QString& title) override {
        questions << title;
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
