#pragma once

#include <QString>
#include <vector>

namespace quillo {

class Connection;

// The last apply, kept so that it can be taken back: the books it changed or
// deleted as they were, with every row beside them (readings, search texts),
// the IDs it added, and the books as it left them. Held in the connection's
// temporary tables, so it lasts until the next apply or the close.
class ApplyUndo {
public:
    explicit ApplyUndo(Connection& database) : m_database(database) {}

    // Inside the apply's transaction, before its writes: the IDs it changes or
    // deletes, and those it adds.
    void captureBefore(const std::vector<qint64>& changed, const std::vector<qint64>& deleted,
                       const std::vector<qint64>& added);
    // After its writes, before the commit.
    void captureAfter();
    // The apply committed (or not): only a committed apply can be taken back.
    void setCommitted(bool committed) { m_available = committed && !nothing(); }
    void forget() { m_available = false; }

    bool available() const { return m_available; }
    int added() const { return m_added; }
    int changed() const { return m_changed; }
    int deleted() const { return m_deleted; }
    // "3 冊の追加と 1 冊の削除を取り消します": what taking it back will do.
    QString description() const;

    // Takes the apply back in one transaction: the added books go, the changed
    // and deleted ones return as they were. Refused, with the reason and
    // nothing changed, when another program has changed those books since.
    void undo();

private:
    bool nothing() const { return m_added + m_changed + m_deleted == 0; }

    Connection& m_database;
    bool m_available = false;
    int m_added = 0, m_changed = 0, m_deleted = 0;
};

}  // namespace quillo
