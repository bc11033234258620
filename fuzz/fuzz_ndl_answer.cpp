// The library's answers and covers, as a server may send them: any bytes are
// read or refused, a book made from them fits the catalogue's fields, and a
// cover taken is one the catalogue can show.
#include <QImage>

#include "fuzz_support.h"
#include "lookup/cover_image.h"
#include "lookup/ndl_book.h"
#include "lookup/ndl_record.h"
#include "platform/cp932.h"
#include "store/book_record.h"

using namespace quillo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const NdlAnswer answer = parseSruAnswer(bytes);
    if (answer.kind == NdlAnswer::Kind::Records && answer.records.empty())
        fuzz::broken("an answer with records holds none");
    for (const NdlRecord& record : answer.records) {
        const BookFromRecord book = bookFromRecord(record, record.isbns.value(0));
        if (Cp932::byteLength(book.title) > bookField(FieldNo::Title).inputLimitBytes ||
            Cp932::byteLength(book.memo) > bookField(FieldNo::Memo).inputLimitBytes ||
            book.writers.size() > 5)
            fuzz::broken("a book from a record does not fit the catalogue");
        for (const NdlName& writer : book.writers)
            if (Cp932::byteLength(writer.name) > bookField(FieldNo::Writer).inputLimitBytes ||
                writer.readLength > writer.name.size())
                fuzz::broken("a writer from a record does not fit the catalogue");
    }
    parseNdlRdf(bytes);
    const CoverAnswer cover = coverFromAnswer(bytes);
    if (cover.cover.isEmpty() == cover.problem.isEmpty())
        fuzz::broken("a cover is neither taken nor refused with a reason");
    if (!cover.cover.isEmpty() && QImage::fromData(cover.cover, "JPEG").height() > kCoverHeight)
        fuzz::broken("a cover taken is higher than a cover is kept");
    return 0;
}
