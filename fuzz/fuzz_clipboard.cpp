// The private clipboard form of a record: any block decodes or is refused, and a
// decoded record encodes back to a block that decodes to the same record.
#include "edit/record_copy.h"
#include "fuzz_support.h"

using namespace quillo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<RecordCopyBuffer> record = DecodeRecordBlock(fuzz::bytesOf(data, size));
    if (!record)
        return 0;
    if (DecodeRecordBlock(EncodeRecordBlock(*record)) != record)
        fuzz::broken("a record did not survive its clipboard block");
    CopyStyle style;
    style.CopyType = static_cast<int>(size % 2) + 1;
    BuildRecordText(*record, style);
    return 0;
}
