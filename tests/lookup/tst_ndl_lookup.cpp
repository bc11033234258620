// ISBNs as typed, the library's recorded answers read into books, and the
// look-up over real HTTP against a local server standing in for the library.
#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "files.h"
#include "lookup/isbn.h"
#include "lookup/ndl_book.h"
#include "lookup/ndl_lookup.h"
#include "lookup/ndl_record.h"
#include "ndl_server.h"
#include "platform/cp932.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

static QByteArray recorded(const char* name) {
    QFile file(S(QUILLO_NDL_DIR "/") + S(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

static BookFromRecord bookOf(const char* file) {
    const NdlAnswer answer = parseSruAnswer(recorded(file));
    if (answer.records.empty())
        return {};
    const NdlRecord& record = answer.records.front();
    return bookFromRecord(record, record.isbns.value(0));
}

static QString names(const std::vector<NdlName>& list) {
    QStringList out;
    for (const NdlName& n : list)
        out << n.name + S("/") + n.reading;
    return out.join(S("; "));
}

// A library answer made here, as the library writes one (packed as XML): a
// record with these elements inside its BibResource.
static QByteArray madeAnswer(const QString& resource) {
    return (S("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<searchRetrieveResponse"
              " xmlns=\"http://www.loc.gov/zing/srw/\"><version>1.2</version><numberOfRecords>1"
              "</numberOfRecords><records><record><recordSchema>dcndl</recordSchema>"
              "<recordPacking>xml</recordPacking><recordData><rdf:RDF"
              " xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\""
              " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
              " xmlns:dcterms=\"http://purl.org/dc/terms/\""
              " xmlns:dcndl=\"http://ndl.go.jp/dcndl/terms/\""
              " xmlns:foaf=\"http://xmlns.com/foaf/0.1/\"><dcndl:BibResource>"
              "<dcndl:materialType rdf:resource=\"http://ndl.go.jp/ndltype/Book\"/>") +
            resource +
            S("</dcndl:BibResource></rdf:RDF></recordData></record></records>"
              "</searchRetrieveResponse>\n"))
        .toUtf8();
}

static QString creator(const char* heading, const char* reading) {
    return S("<dcterms:creator><foaf:Agent><foaf:name>") + S(heading) +
           S("</foaf:name><dcndl:transcription>") + S(reading) +
           S("</dcndl:transcription></foaf:Agent></dcterms:creator>");
}

static QString statement(const char* text) {
    return S("<dc:creator>") + S(text) + S("</dc:creator>");
}

static QString titled(const char* title, const char* reading) {
    return S("<dc:title><rdf:Description><rdf:value>") + S(title) +
           S("</rdf:value><dcndl:transcription>") + S(reading) +
           S("</dcndl:transcription></rdf:Description></dc:title>");
}

// A JPEG of a book's cover, as the library's thumbnails are.
static QByteArray jpegCover() {
    QImage thumbnail(300, 420, QImage::Format_RGB32);
    for (int y = 0; y < thumbnail.height(); ++y)
        for (int x = 0; x < thumbnail.width(); ++x)
            thumbnail.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    thumbnail.save(&buffer, "JPEG");
    return jpeg;
}

// A PNG whose header claims 30,000 by 30,000 pixels, in a few dozen bytes.
static QByteArray pixelBomb() {
    auto crc = [](const QByteArray& bytes) {
        quint32 c = 0xFFFFFFFF;
        for (const char b : bytes) {
            c ^= static_cast<quint8>(b);
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320 & (0 - (c & 1)));
        }
        return ~c;
    };
    auto chunk = [&](const QByteArray& type, const QByteArray& data) {
        QByteArray out;
        QDataStream stream(&out, QIODevice::WriteOnly);
        stream << quint32(data.size());
        out += type + data;
        QByteArray sum;
        QDataStream(&sum, QIODevice::WriteOnly) << crc(type + data);
        return out + sum;
    };
    QByteArray header;
    QDataStream(&header, QIODevice::WriteOnly) << quint32(30000) << quint32(30000) << quint8(8)
                                               << quint8(2) << quint8(0) << quint8(0) << quint8(0);
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", header) +
           chunk("IDAT", QByteArray("\x78\x9C\x03\x00\x00\x00\x00\x01", 8)) + chunk("IEND", {});
}

// Runs quillo-csv add-isbn against the stand-in server; its exit code, and
// what it printed in `out`.
static int addIsbn(const QString& program, const test::NdlServer& server, const QString& db,
                   const QStringList& numbers, QString* out) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(S("QUILLO_NDL_URL"), server.url().toString());
    process.setProcessEnvironment(env);
    // The server answers from this test's event loop while the tool waits.
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    process.start(program, QStringList{S("add-isbn")} + numbers + QStringList{S("--db"), db});
    loop.exec();
    *out = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitCode();
}

class TestNdlLookup : public QObject {
    Q_OBJECT
private slots:
    void isbnsAreCheckedAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("isbn13");  // empty: refused
        QTest::addColumn<QString>("problem");
        QTest::addRow("13, hyphens") << S("978-4-344-01847-1") << S("9784344018471") << QString();
        QTest::addRow("10") << S("4344018478") << S("9784344018471") << QString();
        QTest::addRow("full width") << S("４３４４０１８４７８") << S("9784344018471") << QString();
        QTest::addRow("X, blanks") << S("4 06 258087 x") << S("9784062580878") << QString();
        QTest::addRow("check digit") << S("9784344018472") << QString() << S("チェックディジット");
        QTest::addRow("10 check") << S("4344018479") << QString() << S("チェックディジット");
        QTest::addRow("length") << S("97843440184") << QString() << S("11 桁");
        QTest::addRow("letter") << S("978-4-344-0184a-1") << QString() << S("「a」");
        QTest::addRow("prefix") << S("9774344018471") << QString() << S("978 か 979");
        QTest::addRow("empty") << S(" ") << QString() << S("入力されていません");
    }
    void isbnsAreCheckedAsTyped() {
        QFETCH(QString, typed);
        QFETCH(QString, isbn13);
        QFETCH(QString, problem);
        const IsbnCheck check = checkIsbn(typed);
        QCOMPARE(check.isbn13.value_or(QString()), isbn13);
        QVERIFY2(problem.isEmpty() ? check.problem.isEmpty() : check.problem.contains(problem),
                 qPrintable(check.problem));
    }

    void isbnsAreShownHyphenated() {
        QCOMPARE(hyphenatedIsbn(S("9784344018471")), S("978-4-344-01847-1"));
        QCOMPARE(hyphenatedIsbn(S("9784062580878")), S("978-4-06-258087-8"));
        QCOMPARE(hyphenatedIsbn(S("9784774162133")), S("978-4-7741-6213-3"));
        QCOMPARE(hyphenatedIsbn(S("9784904257173")), S("978-4-904257-17-3"));
        QCOMPARE(isbn10Of(S("9784062580878")), S("406258087X"));
    }

    // Every recorded SRU answer reads: records where there are some, the
    // library's own message for its diagnostic; each record's ISBNs in
    // ISBN-13 whatever form the record gave.
    void everyRecordedAnswerReads() {
        int withIsbn = 0;
        const QDir folder(S(QUILLO_NDL_DIR));
        for (const QString& name : folder.entryList({S("*-sru.xml")})) {
            const NdlAnswer answer = parseSruAnswer(recorded(qPrintable(name)));
            if (name == S("049-sru.xml")) {
                QCOMPARE(answer.kind, NdlAnswer::Kind::Failed);
                QVERIFY2(answer.problem.contains(S("itemno")), qPrintable(answer.problem));
                continue;
            }
            QCOMPARE(answer.kind, NdlAnswer::Kind::Records);
            QVERIFY2(!answer.records.front().title.isEmpty(), qPrintable(name));
            for (const QString& isbn : answer.records.front().isbns) {
                QVERIFY(checkIsbn(isbn).isbn13 == isbn);
                ++withIsbn;
            }
        }
        QVERIFY2(withIsbn >= 12, qPrintable(QString::number(withIsbn)));
        QVERIFY(parseSruAnswer(recorded("016-sru.xml")).records.front().book == false);  // a CD
        QCOMPARE(parseSruAnswer(test::NdlServer::noRecords()).kind, NdlAnswer::Kind::NoRecords);
        // Cut short, or not the interface's answer at all.
        const QByteArray whole = recorded("031-sru.xml");
        QCOMPARE(parseSruAnswer(whole.left(whole.size() / 2)).kind, NdlAnswer::Kind::Failed);
        QCOMPARE(parseSruAnswer("<html><body>メンテナンス中</body></html>").kind,
                 NdlAnswer::Kind::Failed);
    }

    // A record becomes a book as a collector files it: the title and its
    // subtitle and edition apart, the writers the statements name in their
    // order with the library's readings (a series' editors left out, a writer
    // without a heading kept without one), the publisher with its reading, the
    // month kept in the memo where the day is unknown; the record packed as
    // XML reads as the one packed as a string.
    void recordsBecomeBooks() {
        const BookFromRecord manual = bookOf("031-sru.xml");
        QCOMPARE(manual.title, S("情報検索演習"));
        QCOMPARE(manual.titleReading, S("ジョウホウケンサクエンシュウ"));
        QCOMPARE(manual.subtitle, S("3訂"));
        QCOMPARE(names(manual.writers), S("原田 智子/ハラダ トモコ; 江草 由佳/エグサ ユカ; "
                                          "小山 憲司/コヤマ ケンジ; 澤井清/"));
        QCOMPARE(manual.publisher.name, S("樹村房"));
        QCOMPARE(manual.publisher.reading, S("ジュソンボウ"));
        QCOMPARE(manual.pubDate, S("2006/10/01"));
        QCOMPARE(manual.memo,
                 S("出版年月: 2006.10（日は記録になく、1日としました）\n編: 原田 智子"));

        const BookFromRecord literacy = bookOf("019-sru.xml");
        QCOMPARE(literacy.title, S("基礎からわかる情報リテラシー"));
        QCOMPARE(literacy.subtitle, S("コンピュータ・インターネットと付き合う基礎知識 改訂第2版"));
        QCOMPARE(literacy.titleReading, S("キソカラワカルジョウホウリテラシー"));
        QCOMPARE(literacy.publisher.reading, S("ギジュツヒョウロンシャ"));

        // A foreign book: its creators' headings are its writers, no readings.
        const BookFromRecord foreign = bookOf("040-sru.xml");
        QCOMPARE(foreign.writers.size(), size_t(1));
        QVERIFY(foreign.writers.front().reading.isEmpty());
        QVERIFY(!foreign.pubDate.isEmpty() && foreign.pubDate.startsWith(S("2001")));

        // recordPacking=xml: the same record, its elements inline.
        QByteArray inline_ = recorded("031-sru.xml");
        const qsizetype start = inline_.indexOf("<recordData>") + 12;
        const qsizetype end = inline_.indexOf("</recordData>");
        QByteArray rdf = inline_.mid(start, end - start);
        rdf.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
        inline_.replace(start, end - start, rdf);
        const NdlAnswer packedAsXml = parseSruAnswer(inline_);
        QCOMPARE(packedAsXml.kind, NdlAnswer::Kind::Records);
        QCOMPARE(names(bookFromRecord(packedAsXml.records.front(), {}).writers),
                 names(manual.writers));
    }

    // Every person of a record is kept, in a librarian's order: authors, then
    // illustrators, editors and supervisors; every translator in 翻訳者; every
    // role other than an author's and every writer past the fifth named in the
    // memo. A foreign writer printed in katakana is read family name first as
    // the heading is; a body under another's heading is read so for that part;
    // the volume stays in the title; a range of dates gives its first date.
    void peopleAreFiledAsALibrarianFilesThem_data() {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QString>("writers");
        QTest::addColumn<QString>("translator");
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("pubDate");
        const QString book =
            titled("線形代数イントロダクション", "センケイ ダイスウ イントロダクション");
        QTest::addRow("a katakana writer, two translators")
            << book + creator("Strang, Gilbert", "ストラング, ギルバート") +
                   creator("松崎, 公紀", "マツザキ, キミノリ") +
                   creator("新妻, 弘, 1942-", "ニイツマ, ヒロシ") +
                   statement("ギルバート・ストラング 著") + statement("松崎公紀, 新妻弘 共訳") +
                   S("<dcterms:date>2015.12</dcterms:date>")
            << S("ギルバート・ストラング/ストラング ギルバート")
            << S("松崎 公紀、新妻 弘/マツザキ キミノリ、ニイツマ ヒロシ")
            << S("出版年月: 2015.12（日は記録になく、1日としました）")
            << S("線形代数イントロダクション") << S("2015/12/01");
        QTest::addRow("translators without a heading")
            << book + statement("ギルバート・ストラング [著]") +
                   statement("當山仁健, 鴨澤眞夫 訳") + S("<dcterms:date>2001-2003</dcterms:date>")
            << S("ギルバート・ストラング/") << S("當山仁健、鴨澤眞夫/")
            << S("出版年月: 2001-2003（範囲の最初の日付としました。月日は記録になく、1月1日"
                 "としました）")
            << S("線形代数イントロダクション") << S("2001/01/01");
        QTest::addRow("supervisor and editor before the authors, six authors")
            << book + creator("情報科学技術協会", "ジョウホウ カガク ギジュツ キョウカイ") +
                   creator("林, 和弘", "ハヤシ, カズヒロ") + statement("情報科学技術協会 監修") +
                   statement("林和弘 編") +
                   statement("原田智子, 江草由佳, 小山憲司, 澤井清, 森本淳, 林和弘, 林豊 著") +
                   S("<dcterms:date>1990.12-1991.1</dcterms:date>")
            << S("原田智子/; 江草由佳/; 小山憲司/; 澤井清/; 森本淳/") << S("/")
            << S("出版年月: 1990.12-1991.1（範囲の最初の日付としました。日は記録になく、1日"
                 "としました）\n監修: 情報科学技術協会\n編: 林 和弘\nほかの著者: 林 和弘、林豊")
            << S("線形代数イントロダクション") << S("1990/12/01");
        QTest::addRow("story, pictures, editor")
            << titled("ちいさいモモちゃん", "チイサイ モモチャン") + statement("菊地貞雄 絵") +
                   statement("松谷みよ子 文") + statement("童心社編集部 編") +
                   S("<dcterms:date>1974.7.15</dcterms:date>")
            << S("松谷みよ子/; 菊地貞雄/; 童心社編集部/") << S("/")
            << S("絵: 菊地貞雄\n文: 松谷みよ子\n編: 童心社編集部") << S("ちいさいモモちゃん")
            << S("1974/07/15");
        QTest::addRow("a body under its parent's heading, a volume")
            << titled("地のはてから", "チノ ハテ カラ") +
                   S("<dcndl:volume><rdf:Description><rdf:value>上</rdf:value>"
                     "</rdf:Description></dcndl:volume>") +
                   creator("日本図書館協会", "ニホン トショカン キョウカイ") +
                   statement("日本図書館協会目録委員会 編") +
                   S("<dcterms:date>[2007]</dcterms:date>")
            << S("日本図書館協会目録委員会/ニホン トショカン キョウカイ:7") << S("/")
            << S("出版年月: [2007]（月日は記録になく、1月1日としました）\n編: "
                 "日本図書館協会目録委員会")
            << S("地のはてから 上") << S("2007/01/01");
    }
    void peopleAreFiledAsALibrarianFilesThem() {
        QFETCH(QString, resource);
        QFETCH(QString, writers);
        QFETCH(QString, translator);
        QFETCH(QString, memo);
        QFETCH(QString, title);
        QFETCH(QString, pubDate);
        const NdlAnswer answer = parseSruAnswer(madeAnswer(resource));
        QCOMPARE(answer.kind, NdlAnswer::Kind::Records);
        const BookFromRecord book = bookFromRecord(answer.records.front(), {});
        QStringList filed;
        for (const NdlName& n : book.writers)
            filed << n.name + S("/") + n.reading +
                         (n.readLength >= 0 ? S(":") + QString::number(n.readLength) : QString());
        QCOMPARE(filed.join(S("; ")), writers);
        QCOMPARE(book.translator.name + S("/") + book.translator.reading, translator);
        QCOMPARE(book.memo, memo);
        QCOMPARE(book.title, title);
        QCOMPARE(book.pubDate, pubDate);
    }

    // What a hostile or broken server sends is refused with its cause, or cut
    // to what the catalogue holds: nothing crashes, grows without bound, or
    // goes elsewhere. A cover is a whole JPEG or PNG of sane size, or none.
    void hostileAnswersAreRefusedOrCut_data() {
        using Answer = test::NdlServer::Answer;
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<Answer>("thumbnail");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("says");  // the failure, or a note of the book found
        QTest::addColumn<bool>("covered");
        const Answer record{200, recorded("031-sru.xml")};
        const Answer cover{200, jpegCover()};
        QByteArray padded = recorded("031-sru.xml");
        padded.insert(padded.indexOf("<records>"), QByteArray(5 * 1024 * 1024, ' '));
        QTest::addRow("an answer of 5 MB") << Answer{200, padded} << cover << false
                                           << S("答えが大きすぎます（4 MB まで）") << false;
        QTest::addRow("a packed answer")
            << Answer{200, QByteArray("\x1F\x8B\x08\x00", 4), false, "Content-Encoding: gzip\r\n"}
            << cover << false << S("圧縮された答え（gzip）は読みません") << false;
        QTest::addRow("sent elsewhere")
            << Answer{302, {}, false, "Location: http://localhost:9/api/sru\r\n"} << cover << false
            << S("別のサーバーへの転送") << false;
        QTest::addRow("a title of 1 MB")
            << Answer{200, madeAnswer(titled(QByteArray(1024 * 1024, 'A').constData(), "エー"))}
            << cover << true << S("書名は長すぎるため、255 バイトまでにしました") << true;
        QString many = titled("大勢の本", "オオゼイ ノ ホン");
        QStringList everyone;
        for (int i = 0; i < 10000; ++i) {
            many += S("<dcterms:creator><foaf:Agent><foaf:name>著者, %1</foaf:name>"
                      "</foaf:Agent></dcterms:creator>")
                        .arg(i);
            everyone << S("著者%1").arg(i);
        }
        many += S("<dc:creator>") + everyone.join(S(", ")) + S(" 著</dc:creator>");
        QTest::addRow("10,000 creators")
            << Answer{200, madeAnswer(many)} << cover << true << S("メモは長すぎるため") << true;
        QTest::addRow("an SVG cover that draws text and loads a file")
            << record
            << Answer{200,
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"90\" height=\"120\">"
                      "<text x=\"5\" y=\"20\">表紙</text><image href=\"file:///etc/hostname\""
                      " width=\"90\" height=\"90\"/></svg>"}
            << true << S("表紙: 表紙の画像が JPEG でも PNG でもありません") << false;
        QTest::addRow("a JPEG cut short")
            << record << Answer{200, jpegCover().left(jpegCover().size() * 6 / 10)} << true
            << S("表紙: 表紙の画像が壊れているか途中で切れています") << false;
        QTest::addRow("a cover of 3 MB")
            << record << Answer{200, jpegCover() + QByteArray(3 * 1024 * 1024, '\0')} << true
            << S("表紙: 答えが大きすぎます（2 MB まで）") << false;
        QTest::addRow("a PNG of 900 million pixels")
            << record << Answer{200, pixelBomb()} << true
            << S("表紙: 表紙の画像の大きさが大きすぎます") << false;
    }
    void hostileAnswersAreRefusedOrCut() {
        using Answer = test::NdlServer::Answer;
        QFETCH(Answer, answer);
        QFETCH(Answer, thumbnail);
        QFETCH(bool, found);
        QFETCH(QString, says);
        QFETCH(bool, covered);
        test::NdlServer server(S(QUILLO_NDL_DIR));
        server.byIsbn.insert(S("9784883671311"), answer);
        server.thumbnailAnswers.insert(S("9784883671311"), thumbnail);
        NdlLookup lookup;
        lookup.setService(server.url());
        const NdlResult result = lookUpAndWait(lookup, S("9784883671311"));
        QCOMPARE(result.book.has_value(), found);
        const QString said = found ? result.book->notes.join(S("\n")) : result.message;
        QVERIFY2(said.contains(says), qPrintable(said));
        if (found) {
            QCOMPARE(!result.book->cover.isEmpty(), covered);
            QVERIFY(Cp932::byteLength(result.book->title) <= 255);
            QVERIFY(Cp932::byteLength(result.book->memo) <= 255);
        }
    }

    // Over real HTTP: a known ISBN gives its book; an unknown one, an HTTP
    // error, a body that is not XML, a server that never answers and one that
    // is not there each give their one message.
    void aLookUpAnswersOrSaysWhyNot() {
        test::NdlServer server(S(QUILLO_NDL_DIR));
        server.byIsbn.insert(S("9784000000001"), {503, "busy", false});
        server.byIsbn.insert(S("9784000000002"), {200, "<<<not xml", false});
        server.byIsbn.insert(S("9784000000003"), {200, {}, true});
        // The library's thumbnail comes with the record, kept at most 200
        // pixels high; a book without one (404) is found all the same.
        QImage thumbnail(300, 420, QImage::Format_RGB32);
        thumbnail.fill(Qt::darkBlue);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        thumbnail.save(&buffer, "JPEG");
        server.thumbnails.insert(S("9784883671311"), jpeg);
        NdlLookup lookup;
        lookup.setService(server.url());
        lookup.setTimeout(500);
        const NdlResult found = lookUpAndWait(lookup, S("9784883671311"));
        QVERIFY2(found.book, qPrintable(found.message));
        QCOMPARE(found.book->title, S("情報検索演習"));
        QCOMPARE(found.book->isbn13, S("9784883671311"));
        QCOMPARE(QImage::fromData(found.book->cover).size(), QSize(143, 200));
        const NdlResult bare = lookUpAndWait(lookup, S("9784774162133"));
        QVERIFY(bare.book && bare.book->cover.isEmpty());

        struct Case {
            const char* isbn;
            const char* says;
        };
        for (const Case& c :
             {Case{"9784344018471", "国立国会図書館の記録にありませんでした"},
              Case{"9784000000001", "HTTP 503"}, Case{"9784000000002", "答えを読めませんでした"},
              Case{"9784000000003", "待っても答えがありませんでした"}}) {
            const NdlResult result = lookUpAndWait(lookup, S(c.isbn));
            QVERIFY(!result.book);
            QVERIFY2(result.message.contains(S(c.says)), qPrintable(result.message));
        }
        NdlLookup away;
        away.setService(QUrl(S("http://127.0.0.1:9")));  // nothing listens there
        const NdlResult none = lookUpAndWait(away, S("9784883671311"));
        QVERIFY2(none.message.contains(S("接続できませんでした")), qPrintable(none.message));
        // The request is the SRU interface's.
        const QUrl asked = lookup.requestFor(S("9784883671311"));
        QCOMPARE(asked.path(), S("/api/sru"));
        QVERIFY(asked.query().contains(S("recordSchema=dcndl")));
        QVERIFY(asked.query().contains(S("query=isbn%3D9784883671311")) ||
                asked.query().contains(S("query=isbn=9784883671311")));
    }

    // quillo-csv add-isbn: a line per number (added with its title, or why
    // not), the books with their readings and ISBNs in the catalogue, a
    // number the catalogue has already refused; exit 1 when none was added.
    void theToolAddsBooksByTheirNumbers() {
        test::NdlServer server(S(QUILLO_NDL_DIR));
        test::TempBookDb db;
        QString program = S(QUILLO_CSV);
        auto tool = [&](const QStringList& numbers, QString* out) {
            return addIsbn(program, server, db.path(), numbers, out);
        };
        QString out;
        QCOMPARE(tool({S("4883671313"), S("9784344018471"), S("4-88367-131-3"),
                       S("978-4-7741-6213-4"), S("0395978270")},
                      &out),
                 0);
        for (const char* line :
             {"978-4-88367-131-1: 追加します「情報検索演習」",
              "978-4-344-01847-1: ISBN 978-4-344-01847-1 "
              "の本は国立国会図書館の記録にありませんでした",
              "978-4-88367-131-1: 同じ番号がすでに指定されています",
              "978-4-7741-6213-4: ISBN の最後の数字（チェックディジット）が合いません",
              "978-0-395-97827-6: 追加します「A single shard」", "2 冊を追加しました。"})
            QVERIFY2(out.contains(S(line)), qPrintable(out));
        QCOMPARE(test::rows(S("select q.Title, q.Writer, r.Writer, i.Isbn from quillo q join"
                              " quillo_reading r using (ID) join quillo_isbn i using (ID) order"
                              " by q.ID")),
                 (QStringList{S("情報検索演習|原田 智子|ハラダ トモコ|9784883671311"),
                              S("A single shard|Linda Sue Park|Linda Sue Park|9780395978276")}));
        QCOMPARE(tool({S("4883671313")}, &out), 1);
        QVERIFY2(out.contains(S("すでにカタログにあります")) &&
                     out.contains(S("追加できた本はありません")),
                 qPrintable(out));
        // Settings that turned look-ups off are followed: nothing is asked.
        // (A copy of the tool keeps its settings beside itself.)
        QTemporaryDir portable;
        program = portable.filePath(S("quillo-csv"));
        QVERIFY(QFile::copy(S(QUILLO_CSV), program));
        QFile ini(portable.filePath(S("quillo.Ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Lookup]\r\nEnabled=0\r\n");
        ini.close();
        const int asked = server.requests;
        QCOMPARE(tool({S("9784774162133")}, &out), 1);
        QVERIFY2(out.contains(S("[Lookup] Enabled=0")), qPrintable(out));
        QCOMPARE(server.requests, asked);
    }

    // The address in the settings is asked as written, whatever the case of
    // its scheme; one that is no http or https address is refused by the
    // setting's name, never replaced by the library's own.
    void theServiceIsTheOneTheSettingsName_data() {
        QTest::addColumn<QString>("url");  // %1: the stand-in server's port
        QTest::addColumn<bool>("asked");
        QTest::addRow("as written") << S("http://127.0.0.1:%1") << true;
        QTest::addRow("scheme in capitals") << S("HTTP://127.0.0.1:%1") << true;
        QTest::addRow("no scheme") << S("127.0.0.1:%1") << false;
        QTest::addRow("a file") << S("file:///tmp/%1") << false;
        QTest::addRow("empty") << QString() << false;
    }
    void theServiceIsTheOneTheSettingsName() {
        QFETCH(QString, url);
        QFETCH(bool, asked);
        test::NdlServer server(S(QUILLO_NDL_DIR));
        test::TempBookDb db;
        const QString written = url.isNull() ? QString() : url.arg(server.url().port());
        QTemporaryDir portable;
        const QString program = portable.filePath(S("quillo-csv"));
        QVERIFY(QFile::copy(S(QUILLO_CSV), program));
        QFile ini(portable.filePath(S("quillo.Ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Lookup]\r\nUrl=" + written.toLatin1() + "\r\n");
        ini.close();
        const QByteArray before = test::readFile(db.path());
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(S("QUILLO_NDL_URL"));
        process.setProcessEnvironment(env);
        QEventLoop loop;
        connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        process.start(program, {S("add-isbn"), S("4883671313"), S("--db"), db.path()});
        loop.exec();
        const QString out = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitCode(), asked ? 0 : 1);
        QCOMPARE(server.requests > 0, asked);
        if (!asked) {
            QVERIFY2(out.contains(S("[Lookup] Url「") + written + S("」")), qPrintable(out));
            QCOMPARE(test::readFile(db.path()), before);
        }
    }

    // The library's readings stored whole: a body's, where the heading reads
    // its start; a katakana writer's family name first and not doubtful; a
    // title's with its volume; every translator's.
    void aBookIsStoredWithTheLibrarysReadings() {
        test::NdlServer server(S(QUILLO_NDL_DIR));
        test::TempBookDb db;
        server.byIsbn.insert(
            S("9784000000109"),
            {200,
             madeAnswer(titled("地のはてから", "チノ ハテ カラ") +
                        S("<dcndl:volume><rdf:Description><rdf:value>上</rdf:value>"
                          "</rdf:Description></dcndl:volume>") +
                        creator("Strang, Gilbert", "ストラング, ギルバート") +
                        creator("日本図書館協会", "ニホン トショカン キョウカイ") +
                        statement("ギルバート・ストラング 著") +
                        statement("日本図書館協会目録委員会 編") +
                        S("<dcterms:identifier rdf:datatype=\"http://ndl.go.jp/dcndl/terms/ISBN\">"
                          "9784000000109</dcterms:identifier>")),
             false});
        // A cover that draws text needs fonts, which the tool has none of: it is
        // refused for what it is, and the book comes in without it.
        server.thumbnailAnswers.insert(
            S("9784000000109"),
            {200, "<svg xmlns=\"http://www.w3.org/2000/svg\"><text>表紙</text></svg>"});
        // A title that would forge a line of the tool's output is written out.
        server.byIsbn.insert(
            S("9784000000208"),
            {200,
             madeAnswer(titled("偽\n978-4-00-000010-9: 追加します「本物」\u0085\u202e", "ニセ") +
                        S("<dcterms:identifier rdf:datatype=\"http://ndl.go.jp/dcndl/terms/"
                          "ISBN\">9784000000208</dcterms:identifier>"))});
        QString out;
        QCOMPARE(addIsbn(S(QUILLO_CSV), server, db.path(), {S("9784000000109"), S("9784000000208")},
                         &out),
                 0);
        QVERIFY2(
            out.contains(S("978-4-00-000010-9: 表紙: 表紙の画像が JPEG でも PNG でもありません")),
            qPrintable(out));
        QVERIFY2(out.contains(S("978-4-00-000020-8: 追加します「偽\\n978-4-00-000010-9: 追加します"
                                "「本物」\\u0085\\u202e」")),
                 qPrintable(out));
        QCOMPARE(out.count(QLatin1Char('\n')), 4);  // three lines for two numbers, and the sum
        QCOMPARE(test::scalar(S("select count(*) from sqlite_master where name = 'quillo_cover'")),
                 0);
        QCOMPARE(
            test::rows(S("select q.Title, r.Title, q.Writer, r.Writer, q.Writer2, r.Writer2,"
                         " r.Uncertain, q.Memo from quillo q join quillo_reading r"
                         " using (ID) where ID = 1")),
            QStringList{S("地のはてから 上|チノハテカラジョウ|ギルバート・ストラング|ストラング "
                          "ギルバート|日本図書館協会目録委員会|ニホン トショカン キョウカイ "
                          "モクロクイインカイ|0|編: 日本図書館協会目録委員会")});
    }

    // New books take IDs after the largest a catalogue holds, however many
    // books it has and whatever another program added while the library was
    // asked.
    void theToolAddsToACatalogueOfAnySize() {
        test::NdlServer server(S(QUILLO_NDL_DIR));
        test::TempBookDb db;
        test::exec(
            S("with recursive n(i) as (select 1 union all select i + 1 from n where i <"
              " 100000) insert into quillo (ID, Title, Writer) select i, '蔵書' || i,"
              " '著者' || (i % 997) from n"));
        server.beforeAnswer = [](const QString& isbn) {
            if (isbn == S("9780395978276"))
                test::exec(S("insert into quillo (ID, Title) values (100001, '横から来た本')"));
        };
        QString out;
        QCOMPARE(
            addIsbn(S(QUILLO_CSV), server, db.path(), {S("4883671313"), S("0395978270")}, &out), 0);
        QVERIFY2(out.contains(S("2 冊を追加しました")), qPrintable(out));
        QCOMPARE(test::rows(S("select ID, Title from quillo where ID > 99999 order by ID")),
                 (QStringList{S("100000|蔵書100000"), S("100001|横から来た本"),
                              S("100002|情報検索演習"), S("100003|A single shard")}));
        QCOMPARE(test::rows(S("select ID, Isbn from quillo_isbn order by ID")),
                 (QStringList{S("100002|9784883671311"), S("100003|9780395978276")}));
        QCOMPARE(test::scalar(S("select count(*) from quillo_reading")), 100003);
    }
};

QTEST_GUILESS_MAIN(TestNdlLookup)
#include "tst_ndl_lookup.moc"
