#include "engine/cached_dataset.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <future>
#include <numeric>

#include "engine/connection.h"
#include "engine/date_field.h"
#include "engine/engine_error.h"
#include "engine/statement.h"
#include "engine/text_functions.h"

namespace quillo {

// An update statement prepared once per apply, with each parameter resolved to
// the column it takes its value from.
struct CachedDataset::BoundStatement {
    struct Parameter {
        int field;
        bool fromOriginal;
    };
    Statement statement;
    std::vector<Parameter> parameters;

    BoundStatement(Connection& connection, const QStringList& sql,
                   const std::vector<FieldDef>& fields)
        : statement(connection.handle(), sql) {
        for (int i = 1; i <= statement.parameterCount(); ++i) {
            QString name = statement.parameterName(i);
            const bool old = name.startsWith(QLatin1String("OLD_"), Qt::CaseInsensitive);
            if (old)
                name = name.mid(4);
            const int field = indexOfField(fields, name);
            if (field < 0)
                throw EngineError(
                    QStringLiteral("パラメータ '%1' に当たる列がありません。").arg(name));
            parameters.push_back({field, old});
        }
    }
};

struct CachedDataset::Prefetched {
    std::vector<PackedRow> rows;
    std::vector<FieldDef> fields;
    bool ok = false;
};

CachedDataset::CachedDataset(Connection& connection) : m_connection(connection) {}

CachedDataset::~CachedDataset() {
    if (m_prefetch.valid())
        m_prefetch.wait();  // the worker reads into memory this object owns
}

void CachedDataset::prefetch(const QStringList& sql) {
    if (m_prefetch.valid())
        m_prefetch.wait();
    m_prefetchSql = sql;
    const QByteArray path = m_connection.path().toUtf8();
    m_prefetch = std::async(std::launch::async, [path, sql] {
        auto result = std::make_shared<Prefetched>();
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                            nullptr) == SQLITE_OK) {
            try {
                registerTextFunctions(db);
                Statement statement(db, sql);
                loadRows(statement, result->rows);
                result->fields = fieldsOf(statement);
                result->ok = true;
            } catch (const std::exception&) {
                // open() reads again and reports the reason where it is shown.
                result->rows.clear();
            }
        }
        sqlite3_close(db);
        return result;
    });
}

template <typename F>
void CachedDataset::notify(F&& f) {
    for (DatasetListener* listener : m_listeners)
        f(listener);
}

void CachedDataset::changed() {
    if (onDataChange)
        onDataChange();
}

void CachedDataset::addListener(DatasetListener* listener) {
    m_listeners.push_back(listener);
}

void CachedDataset::removeListener(DatasetListener* listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}

void CachedDataset::setSql(const QStringList& lines) {
    if (isActive())
        throw EngineError(QStringLiteral("開いている問い合わせの SQL は変更できません。"));
    m_sql = lines;
}

void CachedDataset::setUpdateStatements(UpdateStatements statements) {
    m_updateSql = std::move(statements);
    m_modify.reset();
    m_insert.reset();
    m_remove.reset();
}

void CachedDataset::open() {
    if (isActive())
        return;
    std::vector<PackedRow> rows;
    std::vector<FieldDef> fields;
    std::shared_ptr<Prefetched> prefetched;
    if (m_prefetch.valid())
        prefetched = m_prefetch.get();
    if (prefetched && prefetched->ok && m_prefetchSql == m_sql) {
        rows = std::move(prefetched->rows);
        fields = std::move(prefetched->fields);
    } else {
        Statement statement(m_connection.handle(), m_sql);
        loadRows(statement, rows);
        fields = fieldsOf(statement);
    }
    prefetched.reset();
    ++m_reads;
    showRows(std::move(rows), std::move(fields));
}

void CachedDataset::showRows(std::vector<PackedRow> rows, std::vector<FieldDef> fields) {
    notify([](DatasetListener* l) { l->beginReset(); });
    m_fields = std::move(fields);
    m_slots.clear();
    m_slots.reserve(rows.size());
    for (PackedRow& row : rows)
        m_slots.push_back({std::move(row), {}, RowStatus::Stored});
    m_deleted.clear();
    m_pendingSlots = 0;
    m_current = m_slots.empty() ? -1 : 0;
    m_state = DatasetState::Browse;
    notify([](DatasetListener* l) { l->endReset(); });
    changed();
}

std::shared_ptr<const CachedDataset::KeptRows> CachedDataset::keepRows() const {
    if (!isActive() || updatesPending())
        return nullptr;
    auto kept = std::make_shared<KeptRows>();
    kept->m_sql = m_sql;
    kept->m_fields = m_fields;
    kept->m_rows.reserve(m_slots.size());
    for (const Slot& slot : m_slots)
        kept->m_rows.push_back(slot.current);  // shared, not copied
    return kept;
}

void CachedDataset::showKept(const KeptRows& kept) {
    close();
    m_sql = kept.m_sql;
    showRows(kept.m_rows, kept.m_fields);
}

void CachedDataset::showKept(const KeptRows& kept, const QStringList& sql,
                             const std::unordered_set<qint64>& only) {
    std::vector<PackedRow> rows;
    rows.reserve(only.size());
    for (const PackedRow& row : kept.m_rows) {
        if (only.count(row.integer(0)))
            rows.push_back(row);
    }
    close();
    m_sql = sql;
    showRows(std::move(rows), kept.m_fields);
}

void CachedDataset::close() {
    if (!isActive())
        return;
    notify([](DatasetListener* l) { l->beginReset(); });
    m_state = DatasetState::Inactive;
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_deleted.clear();
    m_buffer.clear();
    m_pendingSlots = 0;
    m_current = -1;
    m_modify.reset();
    m_insert.reset();
    m_remove.reset();
    notify([](DatasetListener* l) { l->endReset(); });
}

void CachedDataset::requireActive() const {
    if (!isActive())
        throw EngineError(QStringLiteral("データセットが開かれていません。"));
}

int CachedDataset::requireField(const QString& name) const {
    const int index = fieldIndex(name);
    if (index < 0)
        throw EngineError(QStringLiteral("列 '%1' がありません。").arg(name));
    return index;
}

void CachedDataset::moveTo(int row) {
    requireActive();
    if (m_slots.empty())
        return;
    row = std::clamp(row, 0, rowCount() - 1);
    if (row == m_current)
        return;
    if (isEditing())
        post();
    m_current = row;
    changed();
}

bool CachedDataset::locate(int field, qint64 value) {
    requireActive();
    if (isEditing())
        post();
    // Look from the current row on, then from the top: stepping through matches in
    // the order of the rows then reads each row once.
    const int n = rowCount();
    const int start = std::max(m_current, 0);
    for (int k = 0; k < n; ++k) {
        const int i = (start + k) % n;
        const PackedRow& row = m_slots[static_cast<size_t>(i)].current;
        if (row.type(field) != FieldValue::Type::Null && row.integer(field) == value) {
            moveTo(i);
            return true;
        }
    }
    return false;
}

bool CachedDataset::isNull(int field) const {
    if (isEditing())
        return m_buffer[static_cast<size_t>(field)].isNull();
    if (m_current < 0)
        return true;
    return m_slots[static_cast<size_t>(m_current)].current.type(field) == FieldValue::Type::Null;
}

QString CachedDataset::text(int field) const {
    if (m_current < 0)
        return QString();
    return textAt(m_current, field);
}

qint64 CachedDataset::integer(int field) const {
    if (isEditing()) {
        const FieldValue& v = m_buffer[static_cast<size_t>(field)];
        return v.type == FieldValue::Type::Integer ? v.integer : v.text.toLongLong();
    }
    return m_current < 0 ? 0 : m_slots[static_cast<size_t>(m_current)].current.integer(field);
}

std::optional<std::chrono::year_month_day> CachedDataset::date(int field) const {
    if (isEditing())
        return storedDateToYmd(m_buffer[static_cast<size_t>(field)].text);
    if (m_current < 0)
        return std::nullopt;
    return storedDateToYmd(m_slots[static_cast<size_t>(m_current)].current.text(field));
}

bool CachedDataset::isNullAt(int row, int field) const {
    if (row < 0 || row >= rowCount() || field < 0 || field >= fieldCount())
        return true;
    if (row == m_current && isEditing())
        return m_buffer[static_cast<size_t>(field)].isNull();
    return m_slots[static_cast<size_t>(row)].current.type(field) == FieldValue::Type::Null;
}

QString CachedDataset::textAt(int row, int field) const {
    if (row < 0 || row >= rowCount() || field < 0 || field >= fieldCount())
        return QString();
    const FieldKind kind = m_fields[static_cast<size_t>(field)].kind;
    if (row == m_current && isEditing()) {
        const PackedRow single = PackedRow::pack({m_buffer[static_cast<size_t>(field)]});
        return fieldText(single, 0, kind);
    }
    return fieldText(m_slots[static_cast<size_t>(row)].current, field, kind);
}

FieldValue CachedDataset::parseText(int field, const QString& text) const {
    if (text.isEmpty())
        return FieldValue::null();
    switch (m_fields[static_cast<size_t>(field)].kind) {
        case FieldKind::Integer: {
            bool ok = false;
            const qint64 v = text.trimmed().toLongLong(&ok);
            if (!ok)
                throw EngineError(QStringLiteral("'%1' は整数ではありません").arg(text));
            return FieldValue::fromInteger(v);
        }
        case FieldKind::Date: {
            const std::optional<QByteArray> stored = shownDateToStored(text);
            if (!stored)
                throw EngineError(QStringLiteral("'%1' は日付ではありません").arg(text));
            return FieldValue::fromText(*stored);
        }
        case FieldKind::Text:
            break;
    }
    return FieldValue::fromText(text.toUtf8());
}

void CachedDataset::setText(int field, const QString& text) {
    requireActive();
    setValue(field, parseText(field, text));
}

void CachedDataset::setInteger(int field, qint64 value) {
    requireActive();
    setValue(field, FieldValue::fromInteger(value));
}

void CachedDataset::setValue(int field, FieldValue value) {
    if (field < 0 || field >= fieldCount())
        throw EngineError(QStringLiteral("列番号 %1 は範囲外です。").arg(field));
    if (!isEditing())
        edit();
    m_buffer[static_cast<size_t>(field)] = std::move(value);
    const int row = m_current;
    notify([row](DatasetListener* l) { l->rowChanged(row); });
    changed();
}

void CachedDataset::setFieldVisible(int field, bool visible) {
    setFieldVisible(m_fields.at(static_cast<size_t>(field)).name, visible);
}

void CachedDataset::setFieldVisible(const QString& name, bool visible) {
    const QString key = name.toLower();
    if (visible)
        m_hidden.remove(key);
    else
        m_hidden.insert(key);
}

bool CachedDataset::isFieldVisible(int field) const {
    return !m_hidden.contains(m_fields.at(static_cast<size_t>(field)).name.toLower());
}

void CachedDataset::append() {
    requireActive();
    if (isEditing())
        post();
    const int row = rowCount();
    notify([row](DatasetListener* l) { l->beginInsertRow(row); });
    m_buffer.assign(m_fields.size(), FieldValue::null());
    m_slots.push_back({PackedRow::pack(m_buffer), {}, RowStatus::Inserted});
    m_rowBeforeInsert = m_current;
    m_current = row;
    m_state = DatasetState::Insert;
    notify([](DatasetListener* l) { l->endInsertRow(); });
    changed();
}

void CachedDataset::appendRow(const QStringList& texts) {
    requireActive();
    if (isEditing())
        post();
    std::vector<FieldValue> values(m_fields.size());
    for (size_t field = 0; field < values.size() && field < size_t(texts.size()); ++field)
        values[field] = parseText(static_cast<int>(field), texts[static_cast<qsizetype>(field)]);
    const int row = rowCount();
    notify([row](DatasetListener* l) { l->beginInsertRow(row); });
    m_slots.push_back({PackedRow::pack(values), {}, RowStatus::Inserted});
    ++m_pendingSlots;
    m_current = row;
    notify([](DatasetListener* l) { l->endInsertRow(); });
    if (onAfterInsert)
        onAfterInsert();
    changed();
}

void CachedDataset::edit() {
    requireActive();
    if (isEditing())
        return;
    if (m_current < 0)
        throw EngineError(QStringLiteral("編集するレコードがありません。"));
    m_buffer = m_slots[static_cast<size_t>(m_current)].current.unpack();
    m_state = DatasetState::Edit;
}

void CachedDataset::post() {
    if (!isEditing())
        return;
    Slot& slot = m_slots[static_cast<size_t>(m_current)];
    const bool inserting = m_state == DatasetState::Insert;
    if (inserting) {
        ++m_pendingSlots;
    } else if (slot.status == RowStatus::Stored) {
        slot.original = std::move(slot.current);
        slot.status = RowStatus::Modified;
        ++m_pendingSlots;
    }
    slot.current = PackedRow::pack(m_buffer);
    m_buffer.clear();
    m_state = DatasetState::Browse;
    const int row = m_current;
    notify([row](DatasetListener* l) { l->rowChanged(row); });
    if (inserting && onAfterInsert)
        onAfterInsert();
    if (!inserting && onAfterEdit)
        onAfterEdit();
    changed();
}

void CachedDataset::cancel() {
    if (!isEditing())
        return;
    m_buffer.clear();
    const int row = m_current;
    if (m_state == DatasetState::Insert) {
        notify([row](DatasetListener* l) { l->beginRemoveRow(row); });
        m_slots.erase(m_slots.begin() + row);
        // A discarded new row hands the cursor back to the row it was on.
        m_current = m_rowBeforeInsert >= 0 && m_rowBeforeInsert < rowCount()
                        ? m_rowBeforeInsert
                        : std::min(row, rowCount() - 1);
        m_state = DatasetState::Browse;
        notify([](DatasetListener* l) { l->endRemoveRow(); });
    } else {
        m_state = DatasetState::Browse;
        notify([row](DatasetListener* l) { l->rowChanged(row); });
    }
    changed();
}

void CachedDataset::deleteCurrent() {
    requireActive();
    if (m_state == DatasetState::Insert) {
        cancel();  // a row not yet posted is simply discarded
        return;
    }
    if (m_current < 0)
        return;
    m_buffer.clear();
    m_state = DatasetState::Browse;
    const int row = m_current;
    notify([row](DatasetListener* l) { l->beginRemoveRow(row); });
    Slot& slot = m_slots[static_cast<size_t>(row)];
    switch (slot.status) {
        case RowStatus::Stored:
            m_deleted.push_back(std::move(slot.current));
            break;
        case RowStatus::Modified:
            m_deleted.push_back(std::move(slot.original));
            --m_pendingSlots;
            break;
        case RowStatus::Inserted:
            --m_pendingSlots;
            break;
    }
    m_slots.erase(m_slots.begin() + row);
    m_current = std::min(row, rowCount() - 1);
    notify([](DatasetListener* l) { l->endRemoveRow(); });
    if (onAfterDelete)
        onAfterDelete();
    changed();
}

CachedDataset::BoundStatement& CachedDataset::statementFor(std::unique_ptr<BoundStatement>& slot,
                                                           const QStringList& sql) {
    if (!slot)
        slot = std::make_unique<BoundStatement>(m_connection, sql, m_fields);
    return *slot;
}

int CachedDataset::write(BoundStatement& bound, const PackedRow& row, const PackedRow& original) {
    Statement& statement = bound.statement;
    statement.reset();
    for (size_t i = 0; i < bound.parameters.size(); ++i) {
        const auto& parameter = bound.parameters[i];
        const PackedRow& source = parameter.fromOriginal ? original : row;
        const int index = static_cast<int>(i) + 1;
        switch (source.type(parameter.field)) {
            case FieldValue::Type::Null:
                statement.bindNull(index);
                break;
            case FieldValue::Type::Integer:
                statement.bindInteger(index, source.integer(parameter.field));
                break;
            case FieldValue::Type::Text:
                statement.bindText(index, source.text(parameter.field));
                break;
        }
    }
    statement.step();
    return sqlite3_changes(m_connection.handle());
}

void CachedDataset::requireUnchanged(int changes, const PackedRow& original) const {
    if (changes == 1)
        return;
    QStringList texts;
    for (const PackedRow::FieldView& field : original.views())
        texts << (field.type == FieldValue::Type::Integer ? QString::number(field.integer)
                                                          : QString::fromUtf8(field.text));
    throw RowChangedError(
        QStringLiteral("他のプログラムがこの行を変更しました（%1）").arg(original.integer(0)),
        original.integer(0), texts);
}

void CachedDataset::applyUpdates(const RowOrder* keepOrder) {
    if (m_prefetch.valid())
        m_prefetch.get();  // rows read before these changes are stale
    requireActive();
    post();
    if (!updatesPending())
        return;
    bool everyRowMoves = false;
    {
        // Nothing in the cache changes until the commit has succeeded, so a failure
        // anywhere leaves every update pending and the table as it was.
        TransactionGuard transaction(m_connection);
        if (onBeforeWrite) {
            std::vector<qint64> changed, deleted, added;
            for (const PackedRow& row : m_deleted)
                deleted.push_back(row.integer(0));
            for (const Slot& slot : m_slots) {
                if (slot.status == RowStatus::Modified)
                    changed.push_back(slot.original.integer(0));
                else if (slot.status == RowStatus::Inserted)
                    added.push_back(slot.current.integer(0));
            }
            onBeforeWrite(changed, deleted, added);
        }
        // A row changed or deleted is written only where it still holds what
        // was read: the statements name every column as it was, so one that
        // another program changed meanwhile is found untouched, and the whole
        // apply is refused rather than overwriting that program's work.
        for (const PackedRow& row : m_deleted)
            requireUnchanged(write(statementFor(m_remove, m_updateSql.remove), row, row), row);
        for (const Slot& slot : m_slots) {
            if (slot.status == RowStatus::Modified)
                requireUnchanged(
                    write(statementFor(m_modify, m_updateSql.modify), slot.current, slot.original),
                    slot.original);
            else if (slot.status == RowStatus::Inserted)
                write(statementFor(m_insert, m_updateSql.insert), slot.current, slot.current);
        }
        // Finished statements hold no locks, but reset them before the commit anyway.
        for (auto* s : {m_remove.get(), m_modify.get(), m_insert.get()}) {
            if (s)
                s->statement.reset();
        }
        if (onBeforeCommit) {
            std::vector<qint64> keys;
            for (const Slot& slot : m_slots) {
                if (slot.status != RowStatus::Stored)
                    keys.push_back(slot.current.integer(0));
            }
            everyRowMoves = onBeforeCommit(keys);
        }
        transaction.commit();
    }
    std::vector<size_t> written;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        Slot& slot = m_slots[i];
        if (slot.status != RowStatus::Stored || everyRowMoves)
            written.push_back(i);
        slot.status = RowStatus::Stored;
        slot.original = PackedRow();
    }
    m_deleted.clear();
    m_pendingSlots = 0;
    if (keepOrder)
        placeInOrder(std::move(written), *keepOrder);
}

void CachedDataset::reorder(const QStringList& sql, const RowOrder& order) {
    requireActive();
    post();
    if (updatesPending())
        throw EngineError(QStringLiteral("保留中の更新があるため並べ替えられません。"));
    std::vector<size_t> all(m_slots.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    m_sql = sql;
    placeInOrder(std::move(all), order);
}

namespace {

// Sort keys of consecutive rows in one block, each found by its offset.
struct KeyBlock {
    size_t first = 0;
    QByteArray bytes;
    std::vector<qsizetype> start;
    QByteArrayView keyOf(size_t row) const {
        const size_t i = row - first;
        return QByteArrayView(bytes.constData() + start[i], start[i + 1] - start[i]);
    }
};

constexpr size_t kRowsForTwoThreads = 20000;

template <typename RowOf>
KeyBlock makeKeys(size_t first, size_t last, const RowOrder& order, RowOf rowOf) {
    KeyBlock block;
    block.first = first;
    block.bytes.reserve(static_cast<qsizetype>(last - first) * 64);
    block.start.resize(last - first + 1);
    for (size_t i = first; i < last; ++i) {
        block.bytes = order.appendKey(rowOf(i), std::move(block.bytes));
        block.start[i - first + 1] = block.bytes.size();
    }
    return block;
}

// Rows first to last, their keys made and the rows put in their order (equal
// keys keep their places).
struct SortedRows {
    KeyBlock keys;
    std::vector<size_t> sequence;
};

template <typename RowOf>
SortedRows sortRows(size_t first, size_t last, const RowOrder& order, RowOf rowOf) {
    SortedRows sorted{makeKeys(first, last, order, rowOf), std::vector<size_t>(last - first)};
    std::iota(sorted.sequence.begin(), sorted.sequence.end(), first);
    std::stable_sort(sorted.sequence.begin(), sorted.sequence.end(), [&](size_t a, size_t b) {
        return RowOrder::less(sorted.keys.keyOf(a), sorted.keys.keyOf(b));
    });
    return sorted;
}

}  // namespace

// The rows not in `moved` are in order already; the moved ones are taken out and
// each put back where the order places it. Many of them are sorted with the rest
// instead, which is quicker than inserting them one by one.
void CachedDataset::placeInOrder(std::vector<size_t> moved, const RowOrder& order) {
    if (moved.empty())
        return;
    const bool hadRow = m_current >= 0;
    const qint64 key = hadRow ? m_slots[static_cast<size_t>(m_current)].current.integer(0) : 0;
    notify([](DatasetListener* l) { l->beginReset(); });
    if (moved.size() > 64 || moved.size() * 8 > m_slots.size()) {
        // The keys of all rows, each found by its offset; a large list is
        // sorted in two halves at once (making a key mostly waits on memory),
        // then the halves are merged, the first half's row first among equals.
        const size_t count = m_slots.size();
        const size_t half = count >= kRowsForTwoThreads ? count / 2 : count;
        auto rowOf = [this](size_t i) -> const PackedRow& { return m_slots[i].current; };
        std::future<SortedRows> later;
        if (half < count)
            later =
                std::async(std::launch::async, [&] { return sortRows(half, count, order, rowOf); });
        const SortedRows front = sortRows(0, half, order, rowOf);
        const SortedRows back = later.valid() ? later.get() : SortedRows{};
        std::vector<size_t> sequence(count);
        std::merge(front.sequence.begin(), front.sequence.end(), back.sequence.begin(),
                   back.sequence.end(), sequence.begin(), [&](size_t a, size_t b) {
                       return RowOrder::less(a < half ? front.keys.keyOf(a) : back.keys.keyOf(a),
                                             b < half ? front.keys.keyOf(b) : back.keys.keyOf(b));
                   });
        std::vector<Slot> sorted;
        sorted.reserve(m_slots.size());
        for (const size_t i : sequence)
            sorted.push_back(std::move(m_slots[i]));
        m_slots = std::move(sorted);
    } else {
        std::vector<Slot> taken;
        taken.reserve(moved.size());
        for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
            taken.push_back(std::move(m_slots[*it]));
            m_slots.erase(m_slots.begin() + static_cast<std::ptrdiff_t>(*it));
        }
        for (Slot& slot : taken) {
            const QByteArray placed = order.key(slot.current);
            const auto at = std::upper_bound(m_slots.begin(), m_slots.end(), placed,
                                             [&order](const QByteArray& k, const Slot& s) {
                                                 return RowOrder::less(k, order.key(s.current));
                                             });
            m_slots.insert(at, std::move(slot));
        }
    }
    if (hadRow) {
        const auto at = std::find_if(m_slots.begin(), m_slots.end(),
                                     [key](const Slot& s) { return s.current.integer(0) == key; });
        if (at != m_slots.end())
            m_current = static_cast<int>(at - m_slots.begin());
    }
    notify([](DatasetListener* l) { l->endReset(); });
    changed();
}

void CachedDataset::cancelUpdates() {
    requireActive();
    cancel();
    // Re-reading the table shows every row as stored, in the query's order; the
    // cursor stays on the same key where that row is still there.
    const int row = m_current;
    const qint64 key = row >= 0 ? m_slots[static_cast<size_t>(row)].current.integer(0) : 0;
    close();
    open();
    // A book that was only added is gone now: the row in its place becomes current.
    if (row >= 0 && !locate(0, key))
        moveTo(row);
}

}  // namespace quillo
