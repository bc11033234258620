#pragma once

#include "edit/record_copy.h"

namespace quillo {

// The MIME type of the private record form; its name stands for the clipboard
// format "CF_QUILLO_REC".
inline const QString kRecordMimeType = QStringLiteral("application/x-quillo-record");

// Puts the record on the clipboard twice, as the private record and as the text
// of the chosen style, replacing what the clipboard held. Failures are ignored.
void BuildRecordClipboardText(const RecordCopyBuffer& buffer, const CopyStyle& style);

// Loads a private record from the clipboard into the buffer and answers true;
// answers false and leaves the buffer alone when there is none.
bool ReadRecordFromClipboard(RecordCopyBuffer& buffer);

}  // namespace quillo
