#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

#include "store/book_record.h"

namespace quillo {

// One record's texts as both copy commands fill them. Slot 0 is an integer
// nothing sets; the date texts hold whatever the date fields showed.
struct RecordCopyBuffer {
    std::array<QString, kFieldCount> texts;

    // The slot of a field: Title..Translator keep their numbers, Writer2..Writer5
    // follow, then Memo, then any later field with its own number.
    static int slotOf(int fieldNo);
    QString field(int fieldNo) const { return texts[static_cast<size_t>(slotOf(fieldNo))]; }
    void setField(int fieldNo, const QString& text) {
        texts[static_cast<size_t>(slotOf(fieldNo))] = text;
    }
    bool operator==(const RecordCopyBuffer&) const = default;
};

// The settings that shape the clipboard text.
struct CopyStyle {
    int CopyType = 1;
    bool CopyAddLabel = true;
    bool CopyAddChar = true;
    QString AddStringStart = QStringLiteral("『");
    QString AddStringEnd = QStringLiteral("』");
    bool SkipPoorField = true;
    std::array<QString, kFieldCount> FieldLabels = defaultFieldLabels();
};

// The fields in the order the clipboard text lists them: the forms' order.
inline constexpr auto kCopyOrder = kFormFields;

// The plain text of a record in the style the settings choose. Texts are copied
// whole, however long.
QString BuildRecordText(const RecordCopyBuffer& buffer, const CopyStyle& style);

// How one field is written: the label and what follows it (when shown), then the
// value between its opening and closing texts. Every part is copied literally.
struct FieldLineFormat {
    bool showLabel = false;
    QString afterLabel;
    QString beforeValue;
    QString afterValue;
};

// Appends one field by the format unless its value is empty, or is a date field's
// empty form.
void AppendFieldLine(QString& text, const QString& label, const QString& value, bool isDate,
                     const FieldLineFormat& format);

// The private clipboard form of a record: a versioned, length-prefixed UTF-8 block
// of the fourteen texts. A block that does not decode is no record.
QByteArray EncodeRecordBlock(const RecordCopyBuffer& buffer);
std::optional<RecordCopyBuffer> DecodeRecordBlock(const QByteArray& block);

}  // namespace quillo
