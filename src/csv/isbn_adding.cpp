#include "csv/isbn_adding.h"

#include <QElapsedTimer>
#include <QThread>

#include "engine/engine_error.h"
#include "lookup/isbn.h"
#include "lookup/ndl_lookup.h"
#include "lookup/pending_book.h"
#include "platform/shown_text.h"
#include "store/tdm.h"

namespace quillo {

namespace {

constexpr int kSpacingMs = 1000;  // the library asks for moderation: a look-up a second
constexpr int kSqliteConstraint = 19;
// Another program that adds a book between the IDs' choice and the apply
// takes an ID this apply meant; it is tried again with IDs after its book.
constexpr int kApplyAttempts = 3;

// The books looked up, added with IDs after the largest stored now and
// applied at once.
void addAll(TDM& store, const std::vector<BookFromRecord>& books) {
    for (int attempt = 1;; ++attempt) {
        store.TakeIdsAfterStored();
        for (const BookFromRecord& book : books)
            appendLookedUpBook(store, book);
        try {
            store.ApplyPendingUpdates();
            return;
        } catch (const EngineError& e) {
            store.CancelPendingUpdates();
            if (e.code() != kSqliteConstraint || attempt == kApplyAttempts)
                throw;
        }
    }
}

}  // namespace

int addBooksByIsbn(TDM& store, NdlLookup& lookup, const QStringList& numbers,
                   const std::function<void(const QString&)>& say) {
    QStringList taken;
    std::vector<BookFromRecord> found;
    QElapsedTimer sinceLast;
    for (const QString& number : numbers) {
        const IsbnCheck check = checkIsbn(number);
        if (!check.isbn13) {
            say(number + QStringLiteral(": ") + check.problem);
            continue;
        }
        const QString isbn = *check.isbn13;
        const QString shown = hyphenatedIsbn(isbn);
        if (taken.contains(isbn)) {
            say(shown + QStringLiteral(": 同じ番号がすでに指定されています"));
            continue;
        }
        taken << isbn;
        if (const qint64 other = store.isbns().bookWith(isbn, 0); other > 0) {
            say(shown + QStringLiteral(": この ISBN の本はすでにカタログにあります（ID ") +
                QString::number(other) + QStringLiteral("）"));
            continue;
        }
        if (sinceLast.isValid() && sinceLast.elapsed() < kSpacingMs)
            QThread::msleep(static_cast<unsigned long>(kSpacingMs - sinceLast.elapsed()));
        sinceLast.start();
        const NdlResult result = lookUpAndWait(lookup, isbn);
        if (!result.book) {
            say(shown + QStringLiteral(": ") + result.message);
            continue;
        }
        found.push_back(*result.book);
        say(shown + QStringLiteral(": 追加します「") + withControlsShown(result.book->title) +
            QStringLiteral("」"));
        for (const QString& note : result.book->notes)
            say(shown + QStringLiteral(": ") + note);
    }
    if (!found.empty())
        addAll(store, found);
    return static_cast<int>(found.size());
}

}  // namespace quillo
