// Shift-JIS: any bytes decode or are refused, and a decoded text survives
// encoding and decoding again unchanged.
#include "fuzz_support.h"
#include "platform/cp932.h"
#include "platform/utf8_text.h"

using namespace quillo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    if (const std::optional<QString> text = Cp932::decode(bytes)) {
        const std::optional<QByteArray> again = Cp932::encode(*text);
        if (!again)
            fuzz::broken("a decoded text could not be encoded");
        if (Cp932::decode(*again) != text)
            fuzz::broken("a text changed on its way through Shift-JIS");
        if (Cp932::byteLength(*text) != again->size())
            fuzz::broken("the counted length is not the encoded length");
    }
    const QString any = QString::fromUtf8(bytes);
    if (Cp932::canEncode(any) != (Cp932::firstUnencodable(any) < 0))
        fuzz::broken("canEncode and firstUnencodable disagree");
    // The quick check that tells Shift-JIS from UTF-8 agrees with the decoder.
    if (isValidUtf8(bytes) != decodeUtf8Strict(bytes).has_value())
        fuzz::broken("isValidUtf8 and the strict decoder disagree");
    return 0;
}
