#pragma once

#include <QFutureWatcher>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "lookup/ndl_book.h"

class QNetworkAccessManager;

namespace quillo {

// Asks the National Diet Library's SRU interface for the book with an ISBN,
// in the background: one look-up at a time, cancelled by a new one or by
// cancel(), given up after ten seconds. An answer is at most 4 MB and a cover
// 2 MB, refused as soon as they grow past it; an answer is read on another
// thread, so a large one never stops the window. Every failure is one
// Japanese message.
// Where and whether look-ups go, as the settings say ([Lookup]): the service
// (QUILLO_NDL_URL overrides it), whether covers are fetched, and whether ISBNs
// may be sent at all; `consent`, when set, is asked before a look-up (the
// window asks the user once) and gives why not, or nothing to go ahead.
struct NdlService {
    QString url = QStringLiteral("https://ndlsearch.ndl.go.jp");
    bool enabled = true;
    bool covers = true;
    std::function<QString()> consent;
};

// An answer is refused once it is larger than this, before it is read.
inline constexpr qint64 kMostAnswerBytes = 4 * 1024 * 1024;

class NdlLookup : public QObject {
    Q_OBJECT
public:
    // What every look-up made afterwards follows.
    static void configure(const NdlService& service);
    static const NdlService& configuration();

    explicit NdlLookup(QObject* parent = nullptr);
    ~NdlLookup() override;

    // The service: QUILLO_NDL_URL when set (a test's or a mirror's), else the
    // settings' (https://ndlsearch.ndl.go.jp).
    static QUrl defaultService();
    // Why the service's address cannot be asked (not an http or https
    // address), naming where it was set; empty when it can.
    static QString serviceProblem();
    void setService(const QUrl& service) { m_service = service; }
    void setTimeout(int milliseconds) { m_timeout.setInterval(milliseconds); }

    void lookUp(const QString& isbn13);
    void cancel();
    bool busy() const { return m_reply != nullptr || m_readingAnswer; }
    QString isbn() const { return m_isbn; }
    // The last failure was the network's (no connection, no answer in time),
    // not the library's: worth asking again later.
    bool networkAway() const { return m_networkAway; }

    // The SRU request for an ISBN, and the thumbnail's.
    QUrl requestFor(const QString& isbn13) const;
    QUrl thumbnailFor(const QString& isbn13) const;

    // An answer as it was read, on another thread: its book, or why there is none.
    struct Reading {
        std::optional<BookFromRecord> book;
        QString problem;
        bool noRecords = false;
    };

signals:
    void found(const quillo::BookFromRecord& book);
    void failed(const QString& isbn13, const QString& message);

private:
    // The reply that has finished, now the caller's to read (deleted later).
    QNetworkReply* takeReply();
    void finished();
    void thumbnailFinished();
    void timedOut();
    void read();
    void get(const QUrl& url, void (NdlLookup::*done)(), qint64 mostBytes, bool sameOrigin);
    void tooLarge(qint64 mostBytes);

    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_timeout;
    QUrl m_service;
    QString m_isbn;
    bool m_networkAway = false;
    BookFromRecord m_book;  // found, while its thumbnail is fetched
    QFutureWatcher<Reading> m_reading;
    bool m_readingAnswer = false;
    QString m_tooLarge;  // why the reply was aborted for its size
};

// The look-up waited for, for a command-line tool: the book, or the message.
struct NdlResult {
    std::optional<BookFromRecord> book;
    QString message;
};
NdlResult lookUpAndWait(NdlLookup& lookup, const QString& isbn13);

}  // namespace quillo
