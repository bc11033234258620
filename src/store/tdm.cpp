#include "store/tdm.h"

#include <sqlite3.h>
#include <QSet>
#include <algorithm>
#include <array>

#include "engine/engine_error.h"
#include "engine/search_text.h"
#include "engine/statement.h"
#include "platform/search_fold.h"
#include "store/book_table.h"
#include "store/id_renumbering.h"
#include "store/query_builder.h"
#include "store/reading_keys_on_demand.h"
#include "store/search_match.h"

namespace quillo {

namespace {

const QString kInitialSql = QStringLiteral("select * from quillo;");
const QString kNoBooksSql = QStringLiteral("select * from quillo where 0;");
const QString kPendingRefusal = QStringLiteral(
    "更新が保留されているため、一覧を読み直せません。\n"
    "先に更新適用または更新取消しを行ってください");

// The book only as it was read: every column compared as text (so a number
// or a date another program stored reads back as it compares), NULL matching
// NULL. Another program's change since the read leaves no row to write.
QStringList rowAsRead() {
    QStringList lines{QStringLiteral("  ID = :OLD_ID")};
    for (int k = FieldNo::Title; k < kFieldCount; ++k) {
        lines << QStringLiteral("  and CAST(%1 AS TEXT) IS CAST(:OLD_%1 AS TEXT)")
                     .arg(QLatin1String(bookField(k).column));
    }
    return lines;
}

UpdateStatements bookUpdateStatements() {
    QStringList columns, values, assignments;
    for (int k = 0; k < kFieldCount; ++k) {
        const QString column = QString::fromLatin1(bookField(k).column);
        columns << column;
        values << u':' + column;
        assignments << QStringLiteral("  ") + column + QStringLiteral(" = :") + column;
    }
    UpdateStatements s;
    s.modify = QStringList{QStringLiteral("update quillo"), QStringLiteral("set"),
                           assignments.join(QStringLiteral(",\n")), QStringLiteral("where")};
    s.modify << rowAsRead();
    s.insert = QStringList{QStringLiteral("insert into quillo"),
                           QStringLiteral("  (") + columns.join(QStringLiteral(", ")) + u')',
                           QStringLiteral("values"),
                           QStringLiteral("  (") + values.join(QStringLiteral(", ")) + u')'};
    s.remove = QStringList{QStringLiteral("delete from quillo"), QStringLiteral("where")};
    s.remove << rowAsRead();
    return s;
}

}  // namespace

std::unique_ptr<TDM> TDM::OpenStore(StoreHost* owner) {
    return std::make_unique<TDM>(owner);
}

TDM::TDM(StoreHost* owner, FirstRead firstRead)
    : m_host(owner),
      m_database(std::make_unique<Connection>(QStringLiteral("book"), Connection::Access::ReadWrite,
                                              &bookTableSchema())),
      m_queryBook(std::make_unique<CachedDataset>(*m_database)),
      m_queryWork(std::make_unique<ReadOnlyQuery>(*m_database)),
      m_isbns(std::make_unique<BookIsbns>(m_database->handle())),
      m_covers(std::make_unique<BookCovers>(m_database->handle())) {
    if (m_database->isReadOnly())
        m_readOnlyReason = QStringLiteral(
                               "カタログ %1 は書き込みできないため、読み取り専用で"
                               "開いています")
                               .arg(m_database->path());
    m_queryBook->setUpdateStatements(bookUpdateStatements());
    auto pending = [this] { OnUpdatesPending(); };
    m_queryBook->onAfterInsert = pending;
    m_queryBook->onAfterEdit = pending;
    m_queryBook->onAfterDelete = pending;
    m_queryBook->setSql({firstRead == FirstRead::NoBooks ? kNoBooksSql : kInitialSql});
    m_holdsAllBooks = firstRead == FirstRead::Now;
    m_queryBook->setFieldVisible(QStringLiteral("ID"), false);
    if (firstRead != FirstRead::Deferred)
        m_queryBook->open();
    watchApplies();
    countRows();
    attachCursorHook();
}

void TDM::keepLastApplyForUndo() {
    if (!m_undo)
        m_undo = std::make_unique<ApplyUndo>(*m_database);
}

bool TDM::CanUndoLastApply() const {
    return m_undo && m_undo->available() && !m_queryBook->updatesPending();
}

QString TDM::LastApplyUndoText() const {
    return m_undo ? m_undo->description() : QString();
}

void TDM::UndoLastApply() {
    if (!CanUndoLastApply())
        return;
    closeSearch();
    const qint64 current = m_queryBook->currentRow() >= 0 ? m_queryBook->integer(0) : -1;
    m_undo->undo();
    // The books and their readings are as they were: the list is read again,
    // on the same book where it is still there.
    m_readingKeys.clear();
    RequeryShownList();
    if (current >= 0)
        m_queryBook->locate(0, current);
    if (m_host)
        m_host->booksCounted();
}

void TDM::setReadings(std::unique_ptr<BookReadings> readings) {
    m_readings = std::move(readings);
    m_readingKeys.clear();
}

// Every apply is kept so it can be taken back, and tells the readings what it
// wrote.
void TDM::watchApplies() {
    m_queryBook->onBeforeWrite = [this](const std::vector<qint64>& changed,
                                        const std::vector<qint64>& deleted,
                                        const std::vector<qint64>& added) {
        if (m_undo)
            m_undo->captureBefore(changed, deleted, added);
    };
    m_queryBook->onBeforeCommit = [this](const std::vector<qint64>& written) {
        bool everyRowMoves = false;
        if (m_readings) {
            everyRowMoves = m_readings->booksWritten(written);
            if (everyRowMoves)
                refreshReadingKeys();
            else
                refreshReadingKeys(written);
        }
        m_isbns->write();
        m_covers->write();
        if (m_undo)
            m_undo->captureAfter();
        return everyRowMoves;
    };
}

// The books just written have new readings: the order the apply puts them in
// takes their keys as they are now.
void TDM::refreshReadingKeys() {
    if (!m_readingKeys.empty())
        readAllReadingKeys();
}

QHash<qint64, QByteArray> TDM::bytesById(const QString& select) const {
    QHash<qint64, QByteArray> bytes;
    bytes.reserve(std::max(m_recordCount, 16));
    Statement all(m_database->handle(), {select});
    while (all.step())
        bytes.insert(all.integerAt(0), all.textAt(1).toByteArray());
    return bytes;
}

void TDM::readAllReadingKeys() {
    // The keys of the three in one pass: a later order by another of them
    // finds its keys read already.
    const std::array<QString, 3> columns{QStringLiteral("Title"), QStringLiteral("Writer"),
                                         QStringLiteral("Publisher")};
    // Room for every ID up to the highest at once, rather than grown (and
    // copied) as the IDs come.
    Statement highest(m_database->handle(), {QStringLiteral("SELECT max(ID) FROM quillo_reading")});
    const qint64 ids = highest.step() ? highest.integerAt(0) + 1 : 0;
    std::array<BlobsById*, 3> keys{};
    for (size_t k = 0; k < columns.size(); ++k) {
        keys[k] = &m_readingKeys[columns[k]];
        keys[k]->clear();
        keys[k]->reserve(std::clamp<qint64>(ids, 16, 2 * qint64(m_recordCount) + 65536),
                         qsizetype(m_recordCount) * 24);
    }
    try {
        Statement all(m_database->handle(),
                      {QStringLiteral("SELECT ID, TitleKey, WriterKey, PublisherKey FROM"
                                      " quillo_reading")});
        while (all.step()) {
            const qint64 id = all.integerAt(0);
            for (size_t k = 0; k < columns.size(); ++k)
                keys[k]->insert(id, all.textAt(1 + static_cast<int>(k)));
        }
    } catch (const EngineError&) {
        m_readingKeys.clear();  // some books' keys, never taken for all
        throw;
    }
}

void TDM::refreshReadingKeys(const std::vector<qint64>& ids) {
    for (auto& [column, blobs] : m_readingKeys) {
        Statement one(
            m_database->handle(),
            {QStringLiteral("SELECT %1Key FROM quillo_reading WHERE ID = ?").arg(column)});
        for (const qint64 id : ids) {
            one.reset();
            one.bindInteger(1, id);
            if (one.step())
                blobs.insert(id, one.textAt(0));
            else
                blobs.remove(id);
        }
    }
}

SortSettings TDM::sortSettings() const {
    return usableSort(m_host ? m_host->sortSettings() : SortSettings{});
}

SortSettings TDM::usableSort(SortSettings sort) const {
    if (sort.reading && !readingsReady()) {
        sort.reading = false;
        sort.jis = true;
    }
    return sort;
}

TDM::~TDM() {
    if (!m_closed) {
        try {
            CloseStore();
        } catch (const std::exception&) {
            // Renumbering is tidying only; the rows themselves are already stored.
        }
    }
}

void TDM::attachCursorHook() {
    const bool wasDetached = !m_cursorHookAttached;
    m_queryBook->onDataChange = [this] { OnCursorMoved(); };
    m_cursorHookAttached = true;
    if (wasDetached)
        OnCursorMoved();
}

void TDM::detachCursorHook() {
    m_queryBook->onDataChange = nullptr;
    m_cursorHookAttached = false;
}

void TDM::OnUpdatesPending() {
    if (m_queryBook->updatesPending() && m_host)
        m_host->changesPending();
}

void TDM::OnCursorMoved() {
    if (m_host)
        m_host->currentBookMoved();
}

void TDM::reopenLiveQuery(const QStringList& sql, const std::function<void()>& show) {
    // Re-reading the table would drop the cached updates without a word.
    if (m_queryBook->updatesPending())
        throw EngineError(kPendingRefusal);
    // The book that was current stays current when the new rows still hold it;
    // otherwise the row in its place, so the user is not thrown to the top.
    const int id = m_queryBook->fieldIndex(QStringLiteral("ID"));
    const int row = m_queryBook->currentRow();
    const bool hadBook = m_queryBook->isActive() && row >= 0 && id >= 0;
    const qint64 key = hadBook ? m_queryBook->integer(id) : 0;
    auto backToTheBook = [&] {
        if (hadBook && !m_queryBook->locate(id, key))
            m_queryBook->moveTo(row);
    };
    const QStringList previous = m_queryBook->sql();
    m_queryBook->close();
    m_queryBook->setSql(sql);
    try {
        if (show)
            show();
        else
            m_queryBook->open();
    } catch (const EngineError&) {
        // The list the user had comes back rather than an empty one (when the
        // table can be read at all).
        try {
            m_queryBook->close();
            m_queryBook->setSql(previous);
            m_queryBook->open();
            backToTheBook();
        } catch (const EngineError&) {
        }
        countRows();
        throw;
    }
    backToTheBook();
}

void TDM::keepEveryBook() {
    if (!m_holdsAllBooks)
        return;
    m_everyBook = m_queryBook->keepRows();
    m_everyBookChanges = sqlite3_total_changes64(m_database->handle());
    m_everyBookVersion = dataVersion();
}

const CachedDataset::KeptRows* TDM::everyBookKept(const QStringList& sql) {
    if (m_everyBook && (m_everyBook->sql() != sql || m_queryBook->updatesPending() ||
                        sqlite3_total_changes64(m_database->handle()) != m_everyBookChanges ||
                        dataVersion() != m_everyBookVersion))
        m_everyBook.reset();
    return m_everyBook.get();
}

std::unordered_set<qint64> TDM::idsOf(const QStringList& sql) const {
    std::unordered_set<qint64> ids;
    Statement found(m_database->handle(), sql);
    while (found.step())
        ids.insert(found.integerAt(0));
    return ids;
}

qint64 TDM::dataVersion() const {
    Statement version(m_database->handle(), {QStringLiteral("PRAGMA data_version")});
    return version.step() ? version.integerAt(0) : -1;
}

// The reading keys read for an earlier order still hold, kept in step with what
// this store writes, unless another connection has written since.
void TDM::forgetReadingKeysWrittenElsewhere() {
    if (const qint64 version = dataVersion(); version != m_readingKeysVersion) {
        m_readingKeys.clear();
        m_readingKeysVersion = version;
    }
}

void TDM::ReadSortKeysAhead() {
    // Not in the middle of a write (a dialog's events during an import): its
    // rows may yet be rolled back.
    if (!m_queryBook->isActive() || m_database->inTransaction() || !sortSettings().reading)
        return;
    forgetReadingKeysWrittenElsewhere();
    if (m_readingKeys.empty())
        readAllReadingKeys();
}

std::optional<RowOrder> TDM::liveOrder(const SortSettings& sort, bool fewRows) {
    std::vector<RowOrderKey> keys;
    m_readingKeysOnDemand.clear();
    forgetReadingKeysWrittenElsewhere();
    const int id = m_queryBook->fieldIndex(QStringLiteral("ID"));
    for (const OrderTerm& term : BuildOrderTerms(sort)) {
        const int field = m_queryBook->fieldIndex(term.column);
        if (field < 0 || id < 0)
            return std::nullopt;
        if (term.reading) {
            // The readings are not in the rows: their keys are read beside them.
            if (fewRows && !m_readingKeys.count(term.column)) {
                const QString column = term.column;
                m_readingKeysOnDemand.push_back(std::make_unique<ReadingKeysOnDemand>(
                    m_database->handle(), column, m_readingKeysReading,
                    [this, column]() -> const BlobSource& {
                        if (!m_readingKeys.count(column))
                            readAllReadingKeys();
                        return m_readingKeys[column];
                    }));
                keys.push_back({id, false, term.descending, m_readingKeysOnDemand.back().get()});
                keys.push_back({field, term.jis, term.descending});
                continue;
            }
            if (!m_readingKeys.count(term.column))
                readAllReadingKeys();
            const auto blobs = m_readingKeys.find(term.column);
            if (blobs == m_readingKeys.end())
                return std::nullopt;
            keys.push_back({id, false, term.descending, &blobs->second});
        }
        keys.push_back({field, term.jis, term.descending});
    }
    return RowOrder(std::move(keys));
}

void TDM::QueryAll() {
    const SortSettings sort = sortSettings();
    const QStringList sql{BuildUnfilteredSql(sort)};
    // Every book is in memory already, in another order: sorting them there is
    // quicker than reading the table again.
    if (!m_holdsAllBooks) {
        if (const CachedDataset::KeptRows* every = everyBookKept(sql)) {
            reopenLiveQuery(sql, [&] { m_queryBook->showKept(*every); });
            m_everyBook.reset();
            m_holdsAllBooks = true;
            m_narrowedTo = NarrowedTo::Nothing;
            countRows();
            return;
        }
    }
    m_everyBook.reset();
    const std::optional<RowOrder> order = m_holdsAllBooks && m_queryBook->isActive() &&
                                                  !m_queryBook->updatesPending() &&
                                                  m_queryBook->sql() != sql
                                              ? liveOrder(sort)
                                              : std::nullopt;
    if (order)
        m_queryBook->reorder(sql, *order);
    else
        reopenLiveQuery(sql);
    m_holdsAllBooks = true;
    m_narrowedTo = NarrowedTo::Nothing;
    countRows();
}

void TDM::PrefetchAll(const SortSettings& sort) {
    if (!m_queryBook->isActive())
        m_queryBook->prefetch({BuildUnfilteredSql(sort)});
}

int TDM::ApplyFilter(const QString& text, const FieldFlags* flags) {
    if (text.isNull() || !flags)
        return -1;
    const SortSettings sort = sortSettings();
    if (const auto sql = BuildFilterSql(text, *flags, sort, m_fieldNames, readingsReady(),
                                        m_isbns->anyStored())) {
        keepEveryBook();
        // The books it finds, taken from every book in the same order, rather
        // than read and sorted again.
        if (const CachedDataset::KeptRows* every = everyBookKept({BuildUnfilteredSql(sort)})) {
            const std::unordered_set<qint64> found = idsOf(sql->idLines);
            reopenLiveQuery(sql->lines, [&] { m_queryBook->showKept(*every, sql->lines, found); });
        } else {
            reopenLiveQuery(sql->lines);
        }
        m_holdsAllBooks = false;
        m_narrowedTo = NarrowedTo::Nothing;
        m_filterCondition = sql->condition;  // only once the list shows it
    }
    countRows();
    return 0;
}

void TDM::ApplySameBooksFilter() {
    narrowTo(BuildSameBooksSql(sortSettings()), NarrowedTo::SameBooks);
}

void TDM::ApplyUncertainReadingsFilter() {
    if (readingsReady())
        narrowTo(BuildUncertainReadingsSql(sortSettings()), NarrowedTo::UncertainReadings);
}

void TDM::narrowTo(const QStringList& sql, NarrowedTo list) {
    keepEveryBook();
    reopenLiveQuery(sql);
    m_holdsAllBooks = false;
    m_filterCondition.clear();
    m_narrowedTo = list;
    countRows();
}

QStringList TDM::liveSelection() const {
    if (!m_queryBook->isActive() || m_holdsAllBooks)
        return BuildSelectionOf({});
    return BuildSelectionOf(m_queryBook->sql());
}

void TDM::Requery() {
    const QString text = m_host ? m_host->filterText() : QString();
    if (text.isEmpty()) {
        QueryAll();
    } else {
        const FieldFlags flags = m_host->filterFields();
        ApplyFilter(text, &flags);
    }
    countRows();
}

void TDM::RequeryShownList() {
    // 重複の候補 stays shown, as a filter stays, with what the books are now.
    // (After 読みの確認 every book comes back: the books put right leave it.)
    if (m_narrowedTo == NarrowedTo::SameBooks)
        ApplySameBooksFilter();
    else
        Requery();
}

void TDM::moveLiveQueryToMatch() {
    // The match is found again in the live query by its ID.
    const qint64 id = m_matches[static_cast<size_t>(m_matchIndex - 1)];
    m_queryBook->locate(m_queryBook->fieldIndex(QStringLiteral("ID")), id);
}

int TDM::Search(const QString& text, const FieldFlags* flags, bool fuzzy) {
    if (text.isNull() || !flags)
        return -1;
    QList<int> columns;
    for (int k = FieldNo::Title; k < kFieldCount; ++k) {
        if ((*flags)[static_cast<size_t>(k)] && !isDateField(k)) {
            const int column = m_queryBook->fieldIndex(m_fieldNames.name(k));
            if (column >= 0)
                columns << column;
        }
    }
    if (columns.isEmpty())
        return 0;
    closeSearch();
    m_searchOpen = true;
    // The live query holds exactly the books the user sees, within the active
    // filter and in the current sort order.
    const int idColumn = m_queryBook->fieldIndex(QStringLiteral("ID"));
    const CachedDataset& q = *m_queryBook;
    // The fuzzy search also finds a title, writer or publisher by its reading,
    // typed in kana or romaji.
    const ReadingPatterns typed =
        fuzzy ? ReadingPatternsOf(foldForSearch(text)) : ReadingPatterns{};
    const QByteArray kana = typed.kana.toUtf8(), romaji = typed.romaji.toUtf8();
    SearchPatterns patterns{{}, kana, romaji, 0};
    for (int k = FieldNo::Title; k <= FieldNo::Publisher; ++k) {
        if ((*flags)[static_cast<size_t>(k)])
            patterns.fields |= 1u << k;
    }
    QHash<qint64, QByteArray> searchTexts;
    if (readingsReady() && patterns.fields && !(kana + romaji).isEmpty())
        searchTexts = bytesById(QStringLiteral("SELECT ID, Folded FROM quillo_search"));
    // A text that is an ISBN also finds the book with that number.
    QSet<qint64> numbered;
    if (const QString isbn = IsbnConditionOf(text, QStringLiteral("ID"));
        !isbn.isEmpty() && m_isbns->anyStored()) {
        Statement ids(m_database->handle(),
                      {QStringLiteral("SELECT ID FROM quillo WHERE ") + isbn});
        while (ids.step())
            numbered.insert(ids.integerAt(0));
    }
    for (int row = 0; row < q.rowCount(); ++row) {
        const qint64 id = q.textAt(row, idColumn).toLongLong();
        bool found = false;
        for (int column : columns) {
            if (TextMatches(q.textAt(row, column), text, fuzzy)) {
                found = true;
                break;
            }
        }
        if (!found && !searchTexts.isEmpty())
            found = searchTextFinds(searchTexts.value(id), patterns);
        found = found || numbered.contains(id);
        if (found)
            m_matches.push_back(id);
    }
    if (m_matches.empty())
        return 0;
    m_matchCount = static_cast<int>(m_matches.size());
    m_matchIndex = 1;
    moveLiveQueryToMatch();
    return m_matchCount;
}

int TDM::SearchNext() {
    if (!m_searchOpen)
        return -2;
    if (m_matchIndex + 1 > m_matchCount)
        return -1;
    ++m_matchIndex;
    moveLiveQueryToMatch();
    return 0;
}

void TDM::closeSearch() {
    m_matches.clear();
    m_searchOpen = false;
    m_matchIndex = 0;
    m_matchCount = 0;
}

void TDM::EndSearch() {
    closeSearch();
    m_queryWork->close();
}

int TDM::nextId() const {
    return (m_host ? m_host->MaxId() : 0) + 1;
}

void TDM::bookAppended(int id) {
    SetRecordCount(m_recordCount + 1);
    if (m_host)
        m_host->SetMaxId(id);
}

void TDM::AppendRecord() {
    m_queryBook->append();
    const int id = nextId();
    m_queryBook->setInteger(m_queryBook->fieldIndex(QStringLiteral("ID")), id);
    bookAppended(id);
}

int TDM::AppendBook(QStringList texts) {
    const int id = nextId();
    const int idColumn = m_queryBook->fieldIndex(QStringLiteral("ID"));
    if (idColumn >= 0 && idColumn < texts.size())
        texts[idColumn] = QString::number(id);
    m_queryBook->appendRow(texts);  // throws before the ID is taken
    bookAppended(id);
    return id;
}

void TDM::DeleteCurrent(bool confirm) {
    // With no row there is nothing to delete and nothing to ask about.
    if (m_queryBook->currentRow() < 0)
        return;
    const QString title =
        m_queryBook->text(m_queryBook->fieldIndex(m_fieldNames.name(FieldNo::Title)));
    if (!confirm || (m_host && m_host->deleteConfirmed(title))) {
        m_queryBook->deleteCurrent();
        if (m_recordCount > 0)
            SetRecordCount(m_recordCount - 1);
    }
    if (m_host)
        m_host->booksCounted();
}

void TDM::ApplyPendingUpdates() {
    // The list of every book in the chosen order keeps its rows: the ones written
    // move to their places in memory. A filtered list is read again, since a
    // changed book may no longer belong in it.
    const SortSettings sort = sortSettings();
    const std::optional<RowOrder> order =
        m_holdsAllBooks && m_queryBook->sql() == QStringList{BuildUnfilteredSql(sort)}
            ? liveOrder(sort, true)
            : std::nullopt;
    if (m_undo)
        m_undo->forget();
    try {
        m_queryBook->applyUpdates(order ? &*order : nullptr);
    } catch (const RowChangedError& e) {
        m_readingKeys.clear();  // refreshed for writes that were rolled back
        countRows();
        attachCursorHook();
        const int title = m_queryBook->fieldIndex(QStringLiteral("Title"));
        throw RowChangedError(QStringLiteral("他のプログラムがこの本を変更しました（ID %1「%2」）")
                                  .arg(QString::number(e.key()), e.texts().value(title)),
                              e.key(), e.texts());
    } catch (const EngineError&) {
        m_readingKeys.clear();
        countRows();
        attachCursorHook();
        if (m_host)
            m_host->booksCounted();
        // The engine's own reason goes on to the caller: a bare "error" tells a
        // user nothing.
        throw;
    }
    m_readingKeysOnDemand.clear();
    if (m_undo)
        m_undo->setCommitted(true);
    m_isbns->forgetPending();
    m_covers->forgetPending();
    if (m_readings)
        m_readings->forgetPending();
    if (order)
        countRows();
    else
        RequeryShownList();
    attachCursorHook();
    if (m_host)
        m_host->booksCounted();
}

void TDM::CancelPendingUpdates() {
    m_queryBook->cancelUpdates();
    m_isbns->forgetPending();
    m_covers->forgetPending();
    if (m_readings)
        m_readings->forgetPending();
    countRows();
    if (m_host)
        m_host->booksCounted();
}

int TDM::GetMaxId() {
    closeSearch();  // the scratch query is shared, so a search does not survive
    m_queryWork->close();
    m_queryWork->setSql({BuildMaxIdSql()});
    m_queryWork->open();
    m_queryWork->first();
    const int id = static_cast<int>(m_queryWork->integer(0));
    m_queryWork->close();
    return id;
}

void TDM::TakeIdsAfterStored() {
    if (m_host)
        m_host->SetMaxId(std::max(m_host->MaxId(), GetMaxId()));
}

int TDM::GetDistinctValues(int fieldNo, QStringList* list) {
    if (fieldNo < 0 || fieldNo >= kFieldCount || !list)
        return -1;
    closeSearch();
    m_queryWork->close();
    const bool jis = sortSettings().jis;
    m_queryWork->setSql({BuildDistinctValuesSql(m_fieldNames.name(fieldNo), jis)});
    m_queryWork->open();
    if (m_queryWork->rowCount() == 0)
        return 0;
    list->clear();
    for (m_queryWork->first(); !m_queryWork->eof(); m_queryWork->next())
        list->append(m_queryWork->text(0));
    m_queryWork->close();
    return 0;
}

bool TDM::IdsInOrder() const {
    // IDs that are unique whole numbers from 1 to the count are 1..N already
    // (an empty catalogue too).
    Statement span(m_database->handle(),
                   {QStringLiteral("SELECT min(ID), max(ID), count(*) FROM quillo")});
    if (!span.step())
        return true;
    const PackedRow row = span.currentRow();
    const qint64 count = row.integer(2);
    return count == 0 || (row.integer(0) == 1 && row.integer(1) == count);
}

bool TDM::RenumberIds() {
    // Books numbered 1..N already leave the file as it is, byte for byte.
    if (IdsInOrder())
        return false;
    // One transaction: a crash part-way leaves the old IDs, never a mixture.
    TransactionGuard transaction(*m_database);
    renumberBookIds(m_database->handle());
    transaction.commit();
    return true;
}

bool TDM::RenumberingBlocked() {
    // Another connection's read keeps this one from taking the file alone;
    // nothing is written by asking.
    try {
        m_database->execute(QStringLiteral("BEGIN EXCLUSIVE"));
        m_database->execute(QStringLiteral("ROLLBACK"));
    } catch (const EngineError& e) {
        if (!e.isBusy())
            throw;
        m_renumberingBlocked = true;
    }
    return m_renumberingBlocked;
}

void TDM::CloseStore(bool renumber) {
    if (m_closed)
        return;
    m_closed = true;
    detachCursorHook();
    m_queryBook->close();
    m_queryWork->close();
    if (renumber && !readOnly() && !m_renumberingBlocked)
        RenumberIds();
}

}  // namespace quillo
