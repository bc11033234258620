#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "engine/row_order.h"

struct sqlite3;

namespace quillo {

class Statement;

// The kana-order keys of one reading column, read from the readings' table a
// book at a time as an order asks for them: an apply that places a few books
// reads a few keys instead of every book's. Past a few thousand books it takes
// them all from `all`, which reads them at once. Safe to ask from the threads
// that make sort keys together: every source over one connection shares
// `connection`, held while it reads (the connection serves one thread at a
// time), `all` included.
class ReadingKeysOnDemand : public BlobSource {
public:
    ReadingKeysOnDemand(sqlite3* db, const QString& column, std::mutex& connection,
                        std::function<const BlobSource&()> all);
    ~ReadingKeysOnDemand() override;
    std::optional<QByteArrayView> find(qint64 id) const override;

private:
    static constexpr int kOneByOne = 2000;
    std::mutex& m_connection;
    std::unique_ptr<Statement> m_one;
    std::function<const BlobSource&()> m_all;
    mutable std::atomic<const BlobSource*> m_every = nullptr;
    mutable std::unordered_map<qint64, std::optional<QByteArray>> m_read;
};

}  // namespace quillo
