#pragma once

#include <QHash>
#include <QStringList>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "engine/cached_dataset.h"
#include "engine/connection.h"
#include "engine/read_only_query.h"
#include "store/apply_undo.h"
#include "store/book_readings.h"
#include "store/book_record.h"
#include "store/book_side_values.h"
#include "store/query_builder.h"
#include "store/store_host.h"

namespace quillo {

// The catalogue store: the connection, the live query the views show and every
// change passes through, the scratch query for one-off selects, the record count,
// the active filter and the state of the last search.
class TDM {
    // The lists narrowed other than by a filter text.
    enum class NarrowedTo { Nothing, SameBooks, UncertainReadings };

public:
    static std::unique_ptr<TDM> OpenStore(StoreHost* owner);
    // Deferred leaves the live query closed until the first QueryAll or
    // ApplyFilter, so a window that reads the table sorted reads it only once.
    // NoBooks opens it on no rows, for adding books without holding the stored
    // ones in memory.
    enum class FirstRead { Now, Deferred, NoBooks };
    explicit TDM(StoreHost* owner, FirstRead firstRead = FirstRead::Now);
    ~TDM();  // closes the store if CloseStore was not called
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    CachedDataset& QueryBook() { return *m_queryBook; }
    ReadOnlyQuery& QueryWork() { return *m_queryWork; }
    Connection& Database() { return *m_database; }
    const FieldNameTable& fieldNames() const { return m_fieldNames; }
    StoreHost* host() const { return m_host; }
    // The main window becomes the host once it exists.
    void setHost(StoreHost* host) { m_host = host; }

    // The books' readings, told of every apply inside its transaction; none
    // until set (then the list is never sorted by reading).
    void setReadings(std::unique_ptr<BookReadings> readings);
    BookReadings* readings() const { return m_readings.get(); }
    // The host's sort, by reading only where the readings are ready.
    SortSettings sortSettings() const;
    SortSettings usableSort(SortSettings sort) const;

    // A catalogue that cannot or must not be written (a write-protected file or
    // folder, a damaged file) is shown for reading only: nothing is applied and
    // the close does not renumber. The reason is said to the user.
    bool readOnly() const { return !m_readOnlyReason.isEmpty(); }
    QString readOnlyReason() const { return m_readOnlyReason; }
    void setReadOnly(const QString& reason) { m_readOnlyReason = reason; }

    int RecordCount() const { return m_recordCount; }
    void SetRecordCount(int count) { m_recordCount = count < 0 ? 0 : count; }
    QString FilterCondition() const { return m_filterCondition; }
    int MatchIndex() const { return m_matchIndex; }
    int MatchCount() const { return m_matchCount; }
    bool searchOpen() const { return m_searchOpen; }

    void QueryAll();
    // Starts the read QueryAll will make with this sort on a worker thread, so it
    // overlaps the window's construction.
    void PrefetchAll(const SortSettings& sort);
    // In an order by readings, their keys are read now (while the window waits
    // for the user) rather than by the first change of order.
    void ReadSortKeysAhead();
    int ApplyFilter(const QString& text, const FieldFlags* flags);
    void Requery();
    // The list read again as it is shown: 重複の候補 stays that list.
    void RequeryShownList();
    // The list narrowed to the books that may be the same book twice; cleared
    // as any filter is (by the next read of every book).
    void ApplySameBooksFilter();
    bool sameBooksShown() const { return m_narrowedTo == NarrowedTo::SameBooks; }
    // The list narrowed to the books whose readings are worth a look (made
    // by reading a kanji on its own, or a name's reading chosen among
    // several); cleared as any filter is. Only where the readings are ready.
    void ApplyUncertainReadingsFilter();
    bool uncertainReadingsShown() const { return m_narrowedTo == NarrowedTo::UncertainReadings; }
    // Either of those lists.
    bool specialListShown() const { return m_narrowedTo != NarrowedTo::Nothing; }
    void ClearFilterCondition() { m_filterCondition.clear(); }
    // The select of the books the list shows (filtered or not), without its
    // order, for counting them. Changes not yet applied are not in it.
    QStringList liveSelection() const;

    // A null text or missing flags is a refusal (-1); an empty text is a text.
    // The search looks at the live query as the views show it: books added or
    // changed but not yet applied are found by what they hold now, books deleted
    // but not yet applied are not found. Each search starts afresh.
    int Search(const QString& text, const FieldFlags* flags, bool fuzzy);
    int SearchNext();
    void EndSearch();

    void AppendRecord();
    // Appends a whole book as one pending row with the next new ID; `texts` holds
    // a text per column of the live query (the ID's is set here). Throws
    // EngineError, appending nothing, when a text does not fit its column.
    int AppendBook(QStringList texts);  // returns the book's ID
    void DeleteCurrent(bool confirm);
    void ApplyPendingUpdates();
    void CancelPendingUpdates();
    // The last apply taken back (its added books gone, its changed and deleted
    // ones back as they were, with their readings), in one transaction; kept
    // until the next apply or the close, for a store that asks for it.
    void keepLastApplyForUndo();
    bool CanUndoLastApply() const;
    QString LastApplyUndoText() const;  // "3 冊の追加と 1 冊の削除を取り消します"
    void UndoLastApply();
    // Each book's ISBN, kept beside it and written with its pending changes.
    BookIsbns& isbns() { return *m_isbns; }
    // Each book's cover, kept beside it likewise.
    BookCovers& covers() { return *m_covers; }

    int GetMaxId();
    // New books take IDs after the largest stored now, where that is beyond
    // the largest handed out: for a store that shows no books (a tool's), or
    // a catalogue another program added to meanwhile.
    void TakeIdsAfterStored();
    int GetDistinctValues(int fieldNo, QStringList* list);
    // Renumbers the IDs to 1..N in ID order; a table already numbered so is not
    // written at all. True when it was rewritten.
    bool RenumberIds();
    bool IdsInOrder() const;  // numbered 1..N, so a close has nothing to renumber
    // Whether another program reads or writes the catalogue now, so that a
    // close could not renumber the IDs (a write needs the file to itself for
    // an instant); it is then left to the next close, which CloseStore follows.
    bool RenumberingBlocked();
    // Closes the queries and, unless told otherwise, read-only or found
    // blocked, renumbers the IDs to 1..N.
    void CloseStore(bool renumber = true);

    // The hooks the live query calls.
    void OnUpdatesPending();
    void OnCursorMoved();
    // Re-attaching the hook refreshes the views once from the live query, so
    // whatever bulk work ran while it was detached, the navigation, the grid and
    // the card show the current book afterwards.
    void attachCursorHook();
    void detachCursorHook();
    bool cursorHookAttached() const { return m_cursorHookAttached; }

private:
    int nextId() const;
    void bookAppended(int id);
    void countRows() { SetRecordCount(m_queryBook->rowCount()); }
    // `show` fills the closed live query in place of reading `sql`.
    void reopenLiveQuery(const QStringList& sql, const std::function<void()>& show = {});
    void keepEveryBook();
    const CachedDataset::KeptRows* everyBookKept(const QStringList& sql);
    std::unordered_set<qint64> idsOf(const QStringList& sql) const;
    // The live query's fields in the order of `sort`. For placing a few rows,
    // reading keys not yet read are read as the placing asks for them.
    std::optional<RowOrder> liveOrder(const SortSettings& sort, bool fewRows = false);
    void moveLiveQueryToMatch();
    void closeSearch();
    // The kana-order keys of a column's readings, by book ID; made again for
    // all books or those written.
    qint64 dataVersion() const;
    void watchApplies();
    void refreshReadingKeys();
    void refreshReadingKeys(const std::vector<qint64>& ids);
    // The first column's IDs with the second's bytes (the search texts), as a
    // select over a side table gives them.
    QHash<qint64, QByteArray> bytesById(const QString& select) const;
    bool readingsReady() const { return m_readings && m_readings->ready(); }
    void narrowTo(const QStringList& sql, NarrowedTo list);

    StoreHost* m_host;
    FieldNameTable m_fieldNames;
    std::unique_ptr<Connection> m_database;
    std::unique_ptr<CachedDataset> m_queryBook;
    std::unique_ptr<ReadOnlyQuery> m_queryWork;
    std::unique_ptr<BookReadings> m_readings;  // goes before the connection closes
    std::unique_ptr<ApplyUndo> m_undo;
    std::unique_ptr<BookIsbns> m_isbns;
    std::unique_ptr<BookCovers> m_covers;
    // The kana-order keys of the readings the list is sorted by, by column name
    // and book ID, read when the rows are put in order in memory.
    std::map<QString, BlobsById> m_readingKeys;
    std::vector<std::unique_ptr<BlobSource>> m_readingKeysOnDemand;  // for one order
    std::mutex m_readingKeysReading;  // they read on the connection from two threads
    void readAllReadingKeys();
    void forgetReadingKeysWrittenElsewhere();
    qint64 m_readingKeysVersion = -1;  // PRAGMA data_version when they were read
    QString m_filterCondition;
    QString m_readOnlyReason;
    std::vector<qint64> m_matches;  // IDs of the last search's matches, in view order
    bool m_searchOpen = false;
    int m_matchIndex = 0;
    int m_matchCount = 0;
    int m_recordCount = 0;
    bool m_cursorHookAttached = false;
    bool m_holdsAllBooks = false;  // the live query holds every stored book, unfiltered
    // Every book as the list held it when a filter narrowed it: the filter
    // takes its books from there, and the whole list comes back from there,
    // while nothing has been written since, here (total changes) or by
    // another program (data version).
    std::shared_ptr<const CachedDataset::KeptRows> m_everyBook;
    qint64 m_everyBookChanges = -1;
    qint64 m_everyBookVersion = -1;
    bool m_closed = false;
    bool m_renumberingBlocked = false;              // found so before the close
    NarrowedTo m_narrowedTo = NarrowedTo::Nothing;  // the list holds 重複の候補 or 読みの確認
};

// Detaches the store's cursor hook for a scope and re-attaches it however the
// scope ends, so bulk work does not refresh the views row by row.
// Closes the store when the scope ends, without renumbering the IDs: for the
// tools, which change nothing but what they are asked to (the program
// renumbers at its own exit).
class CloseWithoutRenumbering {
public:
    explicit CloseWithoutRenumbering(TDM& store) : m_store(store) {}
    ~CloseWithoutRenumbering() { m_store.CloseStore(false); }
    CloseWithoutRenumbering(const CloseWithoutRenumbering&) = delete;
    CloseWithoutRenumbering& operator=(const CloseWithoutRenumbering&) = delete;

private:
    TDM& m_store;
};

class CursorHookDetach {
public:
    explicit CursorHookDetach(TDM& store)
        : m_store(store), m_wasAttached(store.cursorHookAttached()) {
        m_store.detachCursorHook();
    }
    ~CursorHookDetach() {
        if (m_wasAttached)
            m_store.attachCursorHook();
    }
    CursorHookDetach(const CursorHookDetach&) = delete;
    CursorHookDetach& operator=(const CursorHookDetach&) = delete;

private:
    TDM& m_store;
    bool m_wasAttached;
};

}  // namespace quillo
