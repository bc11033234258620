#include "store/reading_keys_on_demand.h"

#include "engine/statement.h"

namespace quillo {

ReadingKeysOnDemand::ReadingKeysOnDemand(sqlite3* db, const QString& column, std::mutex& connection,
                                         std::function<const BlobSource&()> all)
    : m_connection(connection),
      m_one(std::make_unique<Statement>(
          db, QStringList{QStringLiteral("SELECT ") + column +
                          QStringLiteral("Key FROM quillo_reading WHERE ID = ?")})),
      m_all(std::move(all)) {}

ReadingKeysOnDemand::~ReadingKeysOnDemand() = default;

std::optional<QByteArrayView> ReadingKeysOnDemand::find(qint64 id) const {
    if (const BlobSource* every = m_every.load())
        return every->find(id);
    const std::lock_guard<std::mutex> lock(m_connection);
    if (const BlobSource* every = m_every.load())
        return every->find(id);
    auto known = m_read.find(id);
    if (known == m_read.end()) {
        if (m_read.size() >= kOneByOne) {
            const BlobSource* every = &m_all();
            m_every.store(every);
            return every->find(id);
        }
        m_one->reset();
        m_one->bindInteger(1, id);
        // A book with a row there and no key sorts as an empty key, as when
        // all are read at once.
        std::optional<QByteArray> key;
        if (m_one->step())
            key = m_one->textAt(0).toByteArray();
        m_one->reset();  // no read left open on the catalogue
        known = m_read.emplace(id, std::move(key)).first;
    }
    if (!known->second)
        return std::nullopt;
    return QByteArrayView(*known->second);
}

}  // namespace quillo
