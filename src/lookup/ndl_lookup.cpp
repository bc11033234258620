#include "lookup/ndl_lookup.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrlQuery>
#include <QtConcurrent/QtConcurrentRun>

#include "lookup/cover_image.h"
#include "lookup/isbn.h"

namespace quillo {

namespace {

constexpr int kTimeoutMs = 10000;

bool isNetworkFailure(QNetworkReply::NetworkError error) {
    switch (error) {
        case QNetworkReply::HostNotFoundError:
        case QNetworkReply::ConnectionRefusedError:
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::UnknownNetworkError:
        case QNetworkReply::RemoteHostClosedError:
        case QNetworkReply::TimeoutError:
            return true;
        default:
            return false;
    }
}

QString whyNot(QNetworkReply& reply) {
    // The library's record comes from the address asked, or not at all.
    if (reply.error() == QNetworkReply::InsecureRedirectError ||
        reply.error() == QNetworkReply::TooManyRedirectsError) {
        const QUrl target =
            reply.url().resolved(reply.header(QNetworkRequest::LocationHeader).toUrl());
        return QStringLiteral("問い合わせ先が求めた別のサーバーへの転送（") +
               target.toDisplayString(QUrl::RemoveQuery) + QStringLiteral("）は断りました");
    }
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return QStringLiteral("国立国会図書館がエラーを返しました（HTTP ") +
               QString::number(status) + QStringLiteral("）。時間をおいてもう一度お試しください");
    if (isNetworkFailure(reply.error()))
        return QStringLiteral(
                   "国立国会図書館に接続できませんでした。ネットワークを確認してください（") +
               reply.url().host() + QStringLiteral("）");
    return QStringLiteral("国立国会図書館に問い合わせできませんでした（") + reply.errorString() +
           QStringLiteral("）");
}

}  // namespace

NdlLookup::NdlLookup(QObject* parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this)), m_service(defaultService()) {
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, &NdlLookup::timedOut);
}

NdlLookup::~NdlLookup() {
    cancel();
}

static NdlService& configured() {
    static NdlService service;
    return service;
}

void NdlLookup::configure(const NdlService& service) {
    configured() = service;
}

const NdlService& NdlLookup::configuration() {
    return configured();
}

QUrl NdlLookup::defaultService() {
    const QByteArray given = qgetenv("QUILLO_NDL_URL");
    return QUrl(given.isEmpty() ? configured().url : QString::fromUtf8(given));
}

QString NdlLookup::serviceProblem() {
    const QByteArray given = qgetenv("QUILLO_NDL_URL");
    const QString text = given.isEmpty() ? configured().url : QString::fromUtf8(given);
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
        !url.host().isEmpty())
        return {};
    return (given.isEmpty() ? QStringLiteral("設定ファイルの [Lookup] Url")
                            : QStringLiteral("環境変数 QUILLO_NDL_URL")) +
           QStringLiteral("「") + text +
           QStringLiteral(
               "」は http:// か https:// で始まるアドレスではないため、"
               "国立国会図書館には問い合わせません");
}

QUrl NdlLookup::requestFor(const QString& isbn13) const {
    QUrl url = m_service;
    QString path = url.path();
    if (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path + QStringLiteral("/api/sru"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("operation"), QStringLiteral("searchRetrieve"));
    query.addQueryItem(QStringLiteral("recordSchema"), QStringLiteral("dcndl"));
    query.addQueryItem(QStringLiteral("recordPacking"), QStringLiteral("string"));
    query.addQueryItem(QStringLiteral("maximumRecords"), QStringLiteral("5"));
    query.addQueryItem(QStringLiteral("query"), QStringLiteral("isbn=") + isbn13);
    url.setQuery(query);
    return url;
}

QUrl NdlLookup::thumbnailFor(const QString& isbn13) const {
    QUrl url = m_service;
    QString path = url.path();
    if (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path + QStringLiteral("/thumbnail/") + isbn13 + QStringLiteral(".jpg"));
    url.setQuery(QString());
    return url;
}

void NdlLookup::get(const QUrl& url, void (NdlLookup::*done)(), qint64 mostBytes, bool sameOrigin) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Quillo"));
    // Asked for as it is: an answer is never unpacked into more than was sent.
    request.setRawHeader("Accept-Encoding", "identity");
    // The record is the library's own (or the mirror's the user named): a
    // redirect elsewhere is refused. A cover may come from wherever it is kept.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         sameOrigin ? QNetworkRequest::SameOriginRedirectPolicy
                                    : QNetworkRequest::NoLessSafeRedirectPolicy);
    m_tooLarge.clear();
    m_reply = m_network->get(request);
    QNetworkReply* reply = m_reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply, mostBytes] {
        if (reply != m_reply)
            return;
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > mostBytes)
            return tooLarge(mostBytes);
        const QByteArray packed = reply->rawHeader("Content-Encoding").trimmed().toLower();
        if (!packed.isEmpty() && packed != "identity") {
            m_tooLarge = QStringLiteral("圧縮された答え（") + QString::fromLatin1(packed) +
                         QStringLiteral("）は読みません");
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, reply, mostBytes](qint64 received, qint64) {
                if (reply == m_reply && received > mostBytes)
                    tooLarge(mostBytes);
            });
    connect(reply, &QNetworkReply::finished, this, done);
    m_timeout.start();
}

void NdlLookup::tooLarge(qint64 mostBytes) {
    m_tooLarge = QStringLiteral("答えが大きすぎます（") + QString::number(mostBytes / 1024 / 1024) +
                 QStringLiteral(" MB まで）");
    if (m_reply)
        m_reply->abort();
}

void NdlLookup::lookUp(const QString& isbn13) {
    cancel();
    m_isbn = isbn13;
    m_book = {};
    m_networkAway = false;
    // Said after the caller has started waiting, as an answer would be.
    auto refuse = [this, isbn13](const QString& why) {
        QTimer::singleShot(0, this, [this, isbn13, why] { emit failed(isbn13, why); });
    };
    const NdlService& settings = configuration();
    if (!settings.enabled)
        return refuse(
            QStringLiteral("国立国会図書館への問い合わせは設定で止められています"
                           "（設定ファイルの [Lookup] Enabled=0）"));
    if (const QString problem = serviceProblem(); !problem.isEmpty())
        return refuse(problem);
    if (settings.consent)
        if (const QString refusal = settings.consent(); !refusal.isEmpty())
            return refuse(refusal);
    get(requestFor(isbn13), &NdlLookup::finished, kMostAnswerBytes, true);
}

QNetworkReply* NdlLookup::takeReply() {
    QNetworkReply* reply = m_reply;
    if (!reply)
        return nullptr;
    m_reply = nullptr;
    m_timeout.stop();
    reply->deleteLater();
    return reply;
}

void NdlLookup::thumbnailFinished() {
    QNetworkReply* reply = takeReply();
    if (!reply)
        return;
    // No thumbnail (404, or any trouble fetching it) is still a book found;
    // one refused for what it is says so.
    if (!m_tooLarge.isEmpty()) {
        m_book.notes << QStringLiteral("表紙: ") + m_tooLarge;
    } else if (reply->error() == QNetworkReply::NoError) {
        const CoverAnswer cover = coverFromAnswer(reply->readAll());
        m_book.cover = cover.cover;
        if (!cover.problem.isEmpty())
            m_book.notes << QStringLiteral("表紙: ") + cover.problem;
    }
    emit found(m_book);
}

void NdlLookup::cancel() {
    m_timeout.stop();
    m_reading.disconnect(this);
    m_readingAnswer = false;
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void NdlLookup::timedOut() {
    if (!m_book.isbn13.isEmpty() && m_book.isbn13 == m_isbn && m_reply &&
        m_reply->url() == thumbnailFor(m_isbn)) {
        cancel();
        emit found(m_book);
        return;
    }
    const QString isbn = m_isbn;
    cancel();
    m_networkAway = true;
    emit failed(isbn, QStringLiteral("国立国会図書館から %1 秒待っても答えがありませんでした。"
                                     "時間をおいてもう一度お試しください")
                          .arg(m_timeout.interval() / 1000));
}

namespace {

// What an answer holds, read on a thread of the pool: nothing here touches the
// look-up itself.
NdlLookup::Reading readAnswer(const QByteArray& body, const QString& isbn) {
    const NdlAnswer answer = parseSruAnswer(body);
    switch (answer.kind) {
        case NdlAnswer::Kind::Failed:
            return {std::nullopt,
                    QStringLiteral("国立国会図書館の答えを読めませんでした（") + answer.problem +
                        QStringLiteral("）"),
                    false};
        case NdlAnswer::Kind::NoRecords:
            return {std::nullopt, {}, true};
        case NdlAnswer::Kind::Records:
            break;
    }
    return {bookFromRecord(*bestRecord(answer.records, isbn), isbn), {}, false};
}

}  // namespace

void NdlLookup::finished() {
    QNetworkReply* reply = takeReply();
    if (!reply)
        return;
    const QString isbn = m_isbn;
    if (!m_tooLarge.isEmpty()) {
        emit failed(isbn, QStringLiteral("国立国会図書館の答えを読みませんでした（") + m_tooLarge +
                              QStringLiteral("）"));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        m_networkAway = isNetworkFailure(reply->error()) &&
                        reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 0;
        emit failed(isbn, whyNot(*reply));
        return;
    }
    m_reading.disconnect(this);
    connect(&m_reading, &QFutureWatcher<Reading>::finished, this, &NdlLookup::read);
    m_reading.setFuture(QtConcurrent::run(readAnswer, reply->readAll(), isbn));
    m_readingAnswer = true;
    m_timeout.start();
}

void NdlLookup::read() {
    m_reading.disconnect(this);
    m_readingAnswer = false;
    m_timeout.stop();
    const Reading reading = m_reading.result();
    const QString isbn = m_isbn;
    if (reading.noRecords) {
        emit failed(isbn, QStringLiteral("ISBN ") + hyphenatedIsbn(isbn) +
                              QStringLiteral(" の本は国立国会図書館の記録にありませんでした"));
        return;
    }
    if (!reading.book) {
        emit failed(isbn, reading.problem);
        return;
    }
    // The record first, then its thumbnail, within the same time.
    m_book = *reading.book;
    if (!configuration().covers) {
        emit found(m_book);
        return;
    }
    get(thumbnailFor(isbn), &NdlLookup::thumbnailFinished, kMostCoverBytes, false);
}

NdlResult lookUpAndWait(NdlLookup& lookup, const QString& isbn13) {
    NdlResult result;
    QEventLoop loop;
    const QMetaObject::Connection found =
        QObject::connect(&lookup, &NdlLookup::found, &loop, [&](const BookFromRecord& book) {
            result.book = book;
            loop.quit();
        });
    const QMetaObject::Connection failed = QObject::connect(
        &lookup, &NdlLookup::failed, &loop, [&](const QString&, const QString& message) {
            result.message = message;
            loop.quit();
        });
    lookup.lookUp(isbn13);
    loop.exec();
    QObject::disconnect(found);
    QObject::disconnect(failed);
    return result;
}

}  // namespace quillo
