#include "edit/record_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace quillo {

void BuildRecordClipboardText(const RecordCopyBuffer& buffer, const CopyStyle& style) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    auto* data = new QMimeData;
    data->setData(kRecordMimeType, EncodeRecordBlock(buffer));
    data->setText(BuildRecordText(buffer, style));
    clipboard->setMimeData(data);  // the clipboard takes it; one replacement of the contents
}

bool ReadRecordFromClipboard(RecordCopyBuffer& buffer) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasFormat(kRecordMimeType))
        return false;
    const std::optional<RecordCopyBuffer> record = DecodeRecordBlock(data->data(kRecordMimeType));
    if (!record)
        return false;
    buffer = *record;
    return true;
}

}  // namespace quillo
