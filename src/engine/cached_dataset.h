#pragma once

#include <QSet>
#include <QStringList>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

#include "engine/field_def.h"
#include "engine/packed_row.h"
#include "engine/row_order.h"

namespace quillo {

class Connection;
class Statement;

enum class DatasetState { Inactive, Browse, Edit, Insert };

// The three statements that write cached updates back. In each, ":Name" is the new
// value of column Name and ":OLD_Name" its value as it was read from the table.
struct UpdateStatements {
    QStringList modify;
    QStringList insert;
    QStringList remove;
};

// Told about changes of the rows, for views that show them: before and after each
// change of the row set, so a view can follow it step by step.
class DatasetListener {
public:
    virtual ~DatasetListener() = default;
    virtual void beginReset() {}
    virtual void endReset() {}
    virtual void beginInsertRow(int /*row*/) {}
    virtual void endInsertRow() {}
    virtual void beginRemoveRow(int /*row*/) {}
    virtual void endRemoveRow() {}
    virtual void rowChanged(int /*row*/) {}
};

// The rows of a SELECT held in memory with cached updates: appending, editing and
// deleting change only the cache until applyUpdates() writes it in one transaction
// with the update statements, or cancelUpdates() drops it.
class CachedDataset {
public:
    explicit CachedDataset(Connection& connection);
    ~CachedDataset();
    CachedDataset(const CachedDataset&) = delete;
    CachedDataset& operator=(const CachedDataset&) = delete;

    void setSql(const QStringList& lines);
    const QStringList& sql() const { return m_sql; }
    void setUpdateStatements(UpdateStatements statements);
    void open();
    void close();
    // Starts reading the rows of `sql` on a worker thread, over a read-only
    // connection of its own, so the read overlaps whatever the caller does next.
    // The next open() with this SQL takes the rows (waiting for them if need
    // be); with other SQL, or when the read failed, open() reads as usual.
    void prefetch(const QStringList& sql);
    bool isActive() const { return m_state != DatasetState::Inactive; }
    // How many times the rows were read (opened), so a command can be seen to
    // have read them again or not.
    int reads() const { return m_reads; }
    DatasetState state() const { return m_state; }

    // Cursor. "At the beginning" is on the first row, "at the end" on the last row
    // (both hold when there are no rows).
    int rowCount() const { return static_cast<int>(m_slots.size()); }
    int currentRow() const { return m_current; }
    bool atBeginning() const { return m_current <= 0; }
    bool atEnd() const { return m_current < 0 || m_current >= rowCount() - 1; }
    void first() { moveTo(0); }
    void prior() { moveTo(m_current - 1); }
    void next() { moveTo(m_current + 1); }
    void last() { moveTo(rowCount() - 1); }
    void moveTo(int row);
    bool locate(int field, qint64 value);

    // Fields of the current row, by position or by name.
    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    const FieldDef& field(int index) const { return m_fields[static_cast<size_t>(index)]; }
    int fieldIndex(const QString& name) const { return indexOfField(m_fields, name); }
    bool isNull(int field) const;
    QString text(int field) const;
    qint64 integer(int field) const;
    std::optional<std::chrono::year_month_day> date(int field) const;
    QString text(const QString& name) const { return text(requireField(name)); }
    void setText(int field, const QString& text);
    void setText(const QString& name, const QString& text) { setText(requireField(name), text); }
    void setInteger(int field, qint64 value);

    // Any row, for views: the current row shows its edit buffer.
    QString textAt(int row, int field) const;
    // A row as the cache holds it, without the edit under way; valid until the
    // rows change.
    const PackedRow& rowAt(int row) const { return m_slots[static_cast<size_t>(row)].current; }
    bool isNullAt(int row, int field) const;  // without making its text

    void setFieldVisible(int field, bool visible);
    // By name, so it also holds for a query not yet opened.
    void setFieldVisible(const QString& name, bool visible);
    bool isFieldVisible(int field) const;

    // Editing; post() and deleteCurrent() record cached updates.
    void append();
    // Appends a whole row as one pending insert, as append(), setText() for each
    // field and post() would, with one notification instead of one per field.
    // `texts` holds a text per field (an empty one stores NULL); nothing is
    // appended when a text does not fit its field (EngineError).
    void appendRow(const QStringList& texts);
    void edit();
    void post();
    void cancel();
    void deleteCurrent();

    bool updatesPending() const { return m_pendingSlots > 0 || !m_deleted.empty(); }
    // With `keepOrder`, the rows stay in memory after the commit and the ones
    // written move to where `order` puts them, as a fresh read in that order
    // would show them; the caller reads again otherwise.
    void applyUpdates(const RowOrder* keepOrder = nullptr);
    // Puts the rows in `order` without reading them again, and takes `sql` as the
    // query that reads them so (for a later open). Refused while updates are
    // pending. The current row stays current.
    void reorder(const QStringList& sql, const RowOrder& order);

    // Stored rows put aside with the select that read them, to be shown again
    // without reading them. The caller knows whether they still hold.
    class KeptRows {
    public:
        const QStringList& sql() const { return m_sql; }

    private:
        friend class CachedDataset;
        QStringList m_sql;
        std::vector<FieldDef> m_fields;
        std::vector<PackedRow> m_rows;
    };
    // The rows as read, while nothing is pending (none otherwise).
    std::shared_ptr<const KeptRows> keepRows() const;
    // Shows kept rows as if their select had read them again; with `only`,
    // just the rows whose first field (the ID) it holds, under `sql`.
    void showKept(const KeptRows& kept);
    void showKept(const KeptRows& kept, const QStringList& sql,
                  const std::unordered_set<qint64>& only);
    void cancelUpdates();

    std::function<void()> onAfterInsert;
    std::function<void()> onAfterEdit;
    std::function<void()> onAfterDelete;
    std::function<void()> onDataChange;  // the current row moved or its data changed
    // Inside the apply's transaction, after the writes: the keys (first field)
    // the inserted and modified rows have now. What it throws undoes the apply.
    // True when rows not written may have moved in the kept order too (what
    // they are sorted by changed beside them), so all are put in order.
    std::function<bool(const std::vector<qint64>& written)> onBeforeCommit;
    // Inside the apply's transaction, before the writes: the keys of the rows
    // it changes, deletes and adds.
    std::function<void(const std::vector<qint64>& changed, const std::vector<qint64>& deleted,
                       const std::vector<qint64>& added)>
        onBeforeWrite;

    void addListener(DatasetListener* listener);
    void removeListener(DatasetListener* listener);

private:
    enum class RowStatus : quint8 { Stored, Modified, Inserted };
    struct Slot {
        PackedRow current;
        PackedRow original;  // the row as read, for a modified row
        RowStatus status = RowStatus::Stored;
    };
    struct BoundStatement;

    void requireActive() const;
    void showRows(std::vector<PackedRow> rows, std::vector<FieldDef> fields);
    int requireField(const QString& name) const;
    bool isEditing() const {
        return m_state == DatasetState::Edit || m_state == DatasetState::Insert;
    }
    FieldValue parseText(int field, const QString& text) const;
    void setValue(int field, FieldValue value);
    BoundStatement& statementFor(std::unique_ptr<BoundStatement>& slot, const QStringList& sql);
    // The number of rows the statement changed.
    int write(BoundStatement& statement, const PackedRow& row, const PackedRow& original);
    // Throws RowChangedError unless exactly the one row read was changed.
    void requireUnchanged(int changes, const PackedRow& original) const;
    void changed();
    void placeInOrder(std::vector<size_t> moved, const RowOrder& order);
    template <typename F>
    void notify(F&& f);

    struct Prefetched;
    Connection& m_connection;
    QStringList m_prefetchSql;
    std::future<std::shared_ptr<Prefetched>> m_prefetch;
    QStringList m_sql;
    UpdateStatements m_updateSql;
    std::unique_ptr<BoundStatement> m_modify, m_insert, m_remove;
    DatasetState m_state = DatasetState::Inactive;
    int m_reads = 0;
    std::vector<FieldDef> m_fields;
    QSet<QString> m_hidden;  // lower-cased names of hidden fields
    std::vector<Slot> m_slots;
    std::vector<PackedRow> m_deleted;  // stored rows deleted in the cache
    int m_pendingSlots = 0;            // rows modified or inserted in the cache
    int m_current = -1;
    int m_rowBeforeInsert = -1;        // where the cursor was when the row being inserted began
    std::vector<FieldValue> m_buffer;  // the row being edited or inserted
    std::vector<DatasetListener*> m_listeners;
};

}  // namespace quillo
