#include "lookup/ndl_record.h"

#include <QXmlStreamReader>

#include "lookup/isbn.h"

namespace quillo {

namespace {

// The prefix each namespace the records use is known by here, whatever the
// answer calls it.
QString keyOf(const QXmlStreamReader& reader) {
    static const std::vector<std::pair<QString, QString>> prefixes{
        {QStringLiteral("http://www.w3.org/1999/02/22-rdf-syntax-ns#"), QStringLiteral("rdf")},
        {QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("dc")},
        {QStringLiteral("http://purl.org/dc/terms/"), QStringLiteral("dcterms")},
        {QStringLiteral("http://ndl.go.jp/dcndl/terms/"), QStringLiteral("dcndl")},
        {QStringLiteral("http://xmlns.com/foaf/0.1/"), QStringLiteral("foaf")},
        {QStringLiteral("http://www.loc.gov/zing/srw/"), QStringLiteral("srw")},
        {QStringLiteral("http://www.loc.gov/zing/srw/diagnostic/"), QStringLiteral("diag")}};
    const QStringView uri = reader.namespaceUri();
    for (const auto& [namespaceUri, prefix] : prefixes)
        if (uri == namespaceUri)
            return prefix + u':' + reader.name().toString();
    return reader.name().toString();
}

QString attribute(const QXmlStreamReader& reader, const char* local) {
    for (const QXmlStreamAttribute& a : reader.attributes())
        if (a.name() == QLatin1String(local) &&
            a.namespaceUri() == QLatin1String("http://www.w3.org/1999/02/22-rdf-syntax-ns#"))
            return a.value().toString();
    return {};
}

// Walks RDF/XML from where the reader stands until `endsAt` (an element's key)
// closes, or the document ends, adding each BibResource as a record.
void readRdf(QXmlStreamReader& reader, std::vector<NdlRecord>& records,
             const QString& endsAt = {}) {
    QStringList path;  // the open elements inside a BibResource
    NdlRecord* record = nullptr;
    NdlName agent;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement) {
            const QString key = keyOf(reader);
            if (!endsAt.isEmpty() && key == endsAt && path.isEmpty())
                return;
            if (path.isEmpty())
                continue;
            if (key == QLatin1String("foaf:Agent") && record) {
                if (path.contains(QLatin1String("dcterms:creator")))
                    record->agents.push_back(agent);
                else if (path.contains(QLatin1String("dcterms:publisher")) &&
                         record->publisher.name.isEmpty())
                    record->publisher = agent;
                agent = {};
            }
            path.removeLast();
            if (path.isEmpty())
                record = nullptr;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QString key = keyOf(reader);
        if (key == QLatin1String("dcndl:BibResource") && path.isEmpty()) {
            records.emplace_back();
            record = &records.back();
            path << key;
            continue;
        }
        if (!record)
            continue;
        const QString parent = path.last();
        auto text = [&] {
            return reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        };
        if (key == QLatin1String("dcterms:identifier") &&
            parent == QLatin1String("dcndl:BibResource")) {
            const bool isbn = attribute(reader, "datatype").endsWith(QLatin1String("/ISBN"));
            const QString value = text();
            if (const IsbnCheck check = checkIsbn(value);
                isbn && check.isbn13 && !record->isbns.contains(*check.isbn13))
                record->isbns << *check.isbn13;
        } else if (key == QLatin1String("dcterms:title") &&
                   parent == QLatin1String("dcndl:BibResource")) {
            const QString value = text();
            if (record->title.isEmpty())
                record->title = value;
        } else if (key == QLatin1String("rdf:value") && path.size() >= 2 &&
                   path[path.size() - 2] == QLatin1String("dc:title")) {
            record->title = text();
        } else if (key == QLatin1String("rdf:value") && path.size() >= 2 &&
                   path[path.size() - 2] == QLatin1String("dcndl:volume")) {
            record->volume = text();
        } else if (key == QLatin1String("dcndl:transcription")) {
            const QString value = text();
            const QString described = path.size() >= 2 ? path[path.size() - 2] : QString();
            if (described == QLatin1String("dc:title"))
                record->titleReading = value;
            else if (described == QLatin1String("dcndl:volume"))
                record->volumeReading = value;
            else if (parent == QLatin1String("foaf:Agent"))
                agent.reading = value;
        } else if (key == QLatin1String("foaf:name") && parent == QLatin1String("foaf:Agent")) {
            agent.name = text();
        } else if (key == QLatin1String("dcndl:edition") &&
                   parent == QLatin1String("dcndl:BibResource")) {
            record->edition = text();
        } else if (key == QLatin1String("dc:creator") &&
                   parent == QLatin1String("dcndl:BibResource")) {
            record->creatorTexts << text();
        } else if (key == QLatin1String("dcterms:date") &&
                   parent == QLatin1String("dcndl:BibResource")) {
            record->date = text();
        } else if (key == QLatin1String("dcndl:materialType")) {
            if (attribute(reader, "resource").endsWith(QLatin1String("/Book")))
                record->book = true;
            path << key;
        } else {
            path << key;
        }
    }
}

}  // namespace

std::vector<NdlRecord> parseNdlRdf(const QByteArray& xml) {
    std::vector<NdlRecord> records;
    QXmlStreamReader reader(xml);
    readRdf(reader, records);
    return reader.hasError() ? std::vector<NdlRecord>{} : records;
}

NdlAnswer parseSruAnswer(const QByteArray& xml) {
    NdlAnswer answer;
    QXmlStreamReader reader(xml);
    bool response = false;
    qint64 count = -1;
    QString diagnostic;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString key = keyOf(reader);
        if (key == QLatin1String("srw:searchRetrieveResponse")) {
            response = true;
        } else if (key == QLatin1String("srw:numberOfRecords")) {
            count = reader.readElementText().trimmed().toLongLong();
        } else if (key == QLatin1String("diag:message") || key == QLatin1String("diag:details")) {
            const QString text = reader.readElementText().trimmed();
            if (!text.isEmpty() && !diagnostic.contains(text))
                diagnostic += (diagnostic.isEmpty() ? QString() : QStringLiteral("、")) + text;
        } else if (key == QLatin1String("srw:recordData")) {
            // Packed as a string the record is one escaped text; packed as XML
            // its elements follow at once.
            QString packed;
            for (;;) {
                const QXmlStreamReader::TokenType token = reader.readNext();
                if (token == QXmlStreamReader::Characters) {
                    packed += reader.text();
                } else if (token == QXmlStreamReader::StartElement) {
                    // The reader stands on rdf:RDF; its content is read as a
                    // document of its own would be.
                    readRdf(reader, answer.records, QStringLiteral("srw:recordData"));
                    break;
                } else {
                    QXmlStreamReader inner(packed);
                    readRdf(inner, answer.records);
                    if (inner.hasError())
                        return {NdlAnswer::Kind::Failed,
                                {},
                                QStringLiteral("記録を読めませんでした（") + inner.errorString() +
                                    QStringLiteral("）")};
                    break;
                }
            }
        }
    }
    if (reader.hasError() || !response)
        return {NdlAnswer::Kind::Failed,
                {},
                QStringLiteral("国立国会図書館の検索の答えとして読めませんでした") +
                    (reader.hasError()
                         ? QStringLiteral("（") + reader.errorString() + QStringLiteral("）")
                         : QString())};
    if (!diagnostic.isEmpty())
        return {NdlAnswer::Kind::Failed, {}, diagnostic};
    if (answer.records.empty()) {
        answer.kind = count == 0 ? NdlAnswer::Kind::NoRecords : NdlAnswer::Kind::Failed;
        if (count != 0)
            answer.problem = QStringLiteral("答えに記録がありませんでした");
        return answer;
    }
    answer.kind = NdlAnswer::Kind::Records;
    return answer;
}

}  // namespace quillo
