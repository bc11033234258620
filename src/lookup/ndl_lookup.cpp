#include "lookup/ndl_lookup.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrlQuery>

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

void NdlLookup::get(const QUrl& url, void (NdlLookup::*done)()) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Quillo"));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::finished, this, done);
    m_timeout.start();
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
    if (settings.consent && !settings.consent())
        return refuse(QStringLiteral("国立国会図書館には問い合わせませんでした"));
    get(requestFor(isbn13), &NdlLookup::finished);
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
    // No thumbnail (404, or any trouble fetching it) is still a book found.
    if (reply->error() == QNetworkReply::NoError)
        m_book.cover = coverBytes(reply->readAll());
    emit found(m_book);
}

void NdlLookup::cancel() {
    m_timeout.stop();
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

void NdlLookup::finished() {
    QNetworkReply* reply = takeReply();
    if (!reply)
        return;
    const QString isbn = m_isbn;
    if (reply->error() != QNetworkReply::NoError) {
        m_networkAway = isNetworkFailure(reply->error()) &&
                        reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 0;
        emit failed(isbn, whyNot(*reply));
        return;
    }
    const NdlAnswer answer = parseSruAnswer(reply->readAll());
    switch (answer.kind) {
        case NdlAnswer::Kind::Failed:
            emit failed(isbn, QStringLiteral("国立国会図書館の答えを読めませんでした（") +
                                  answer.problem + QStringLiteral("）"));
            return;
        case NdlAnswer::Kind::NoRecords:
            emit failed(isbn, QStringLiteral("ISBN ") + hyphenatedIsbn(isbn) +
                                  QStringLiteral(" の本は国立国会図書館の記録にありませんでした"));
            return;
        case NdlAnswer::Kind::Records:
            // The record first, then its thumbnail, within the same time.
            m_book = bookFromRecord(*bestRecord(answer.records, isbn), isbn);
            if (!configuration().covers) {
                emit found(m_book);
                return;
            }
            get(thumbnailFor(isbn), &NdlLookup::thumbnailFinished);
            return;
    }
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
