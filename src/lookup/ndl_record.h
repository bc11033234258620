#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace quillo {

// A name as the library catalogues it, with its reading (katakana; empty when
// the record gives none, as for most foreign books).
struct NdlName {
    QString name;
    QString reading;
    // How much of the name the reading covers from its start (a body under its
    // parent's heading); -1 for all of it. The rest is read as any name is.
    qsizetype readLength = -1;
};

// One bibliographic record of the National Diet Library (its dcndl RDF), as
// the record says it.
struct NdlRecord {
    QString title;  // the whole title, "主題 : 副題"
    QString titleReading;
    QString volume;  // "上", "第3巻": the part of a work this book is
    QString volumeReading;
    QString edition;
    std::vector<NdlName> agents;  // each creator the library identified: "原田, 智子, 1947-"
    QStringList creatorTexts;     // the statements of responsibility: "原田智子 編"
    NdlName publisher;
    QString date;       // as catalogued: "2010.6", "c2001", "[2007]"
    QStringList isbns;  // ISBN-13, from every form the record gives
    bool book = false;  // a printed book (not a disc, map or journal)
};

// What the SRU interface answered: records, none, or a diagnostic or an
// answer that is not the interface's at all.
struct NdlAnswer {
    enum class Kind { Records, NoRecords, Failed } kind = Kind::Failed;
    std::vector<NdlRecord> records;
    QString problem;  // for Failed: the library's own message, or what was wrong
};

// Reads a searchRetrieve answer with recordSchema=dcndl, its records packed as
// a string or as XML.
NdlAnswer parseSruAnswer(const QByteArray& xml);
// Reads one record's RDF/XML.
std::vector<NdlRecord> parseNdlRdf(const QByteArray& xml);

}  // namespace quillo
