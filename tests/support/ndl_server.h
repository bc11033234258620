#pragma once

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>
#include <functional>

#include "lookup/isbn.h"
#include "lookup/ndl_record.h"

namespace quillo::test {

// A real HTTP server on localhost in place of the library's host: an SRU
// request for an ISBN gets the recorded answer holding that ISBN, or the
// library's answer with no records; chosen ISBNs get an HTTP error, a body
// that is not XML, or no answer at all.
class NdlServer : public QObject {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        bool silent = false;   // never answers: the client's timeout decides
        QByteArray headers{};  // more header lines, each ending in CR LF
    };
    QHash<QString, Answer> byIsbn;
    QHash<QString, QByteArray> thumbnails;    // by ISBN-13; others are 404, as the library's
    QHash<QString, Answer> thumbnailAnswers;  // by ISBN-13, answered as they are
    int requests = 0;
    // Done before a record's answer is sent (another program at work meanwhile).
    std::function<void(const QString& isbn)> beforeAnswer;

    explicit NdlServer(const QString& folder) {
        for (const QString& name : QDir(folder).entryList({QStringLiteral("*-sru.xml")})) {
            QFile file(folder + QLatin1Char('/') + name);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray body = file.readAll();
            for (const NdlRecord& record : parseSruAnswer(body).records)
                for (const QString& isbn : record.isbns)
                    byIsbn.insert(isbn, {200, body, false});
        }
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            }
        });
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
    }
    static QByteArray noRecords() {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<searchRetrieveResponse "
               "xmlns=\"http://www.loc.gov/zing/srw/\"><version>1.2</version><numberOfRecords>0"
               "</numberOfRecords><nextRecordPosition>0</nextRecordPosition>"
               "</searchRetrieveResponse>\n";
    }

private:
    void serve(QTcpSocket* socket) {
        m_pending[socket] += socket->readAll();
        const QByteArray request = m_pending[socket];
        if (!request.contains("\r\n\r\n"))
            return;
        m_pending.remove(socket);
        ++requests;
        const QUrl url(QString::fromLatin1(request.split(' ').value(1)));
        const QString query =
            QUrlQuery(url).queryItemValue(QStringLiteral("query"), QUrl::FullyDecoded);
        Answer answer{200, noRecords(), false};
        const QString path = url.path();
        if (path.startsWith(QLatin1String("/thumbnail/")))
            answer = thumbnailAnswers.contains(path.mid(11, 13))
                         ? thumbnailAnswers.value(path.mid(11, 13))
                     : thumbnails.contains(path.mid(11, 13))
                         ? Answer{200, thumbnails.value(path.mid(11, 13)), false}
                         : Answer{404, "not found", false};
        else if (path != QLatin1String("/api/sru"))
            answer = {404, "not found", false};
        else if (query.startsWith(QLatin1String("isbn=")))
            answer = byIsbn.value(query.mid(5), answer);
        if (beforeAnswer && query.startsWith(QLatin1String("isbn=")))
            beforeAnswer(query.mid(5));
        if (answer.silent)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(answer.status) +
                      (answer.status == 200 ? " OK" : " Error") +
                      "\r\nContent-Type: application/xml; charset=UTF-8\r\nContent-Length: " +
                      QByteArray::number(answer.body.size()) + "\r\nConnection: close\r\n" +
                      answer.headers + "\r\n" + answer.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_pending;
};

}  // namespace quillo::test
