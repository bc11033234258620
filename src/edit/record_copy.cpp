#include "edit/record_copy.h"

#include <QStringDecoder>
#include <QtEndian>

#include "edit/date_text.h"

namespace quillo {

namespace {

const QByteArray kMagic("QREC");
constexpr char kVersion = 1;

bool isEmptyValue(const QString& value, bool isDate) {
    return value.isEmpty() || (isDate && IsEmptyDateText(value));
}

void appendUint32(QByteArray& block, quint32 value) {
    const quint32 le = qToLittleEndian(value);
    block.append(reinterpret_cast<const char*>(&le), sizeof le);
}

}  // namespace

int RecordCopyBuffer::slotOf(int fieldNo) {
    if (fieldNo >= FieldNo::Writer2 && fieldNo <= FieldNo::Writer5)
        return fieldNo - 1;  // Writer2..Writer5 take texts 9..12
    if (fieldNo == FieldNo::Memo)
        return FieldNo::Writer5;
    return fieldNo;  // later fields keep their numbers, after Memo's text
}

void AppendFieldLine(QString& text, const QString& label, const QString& value, bool isDate,
                     const FieldLineFormat& format) {
    if (isEmptyValue(value, isDate))
        return;
    if (format.showLabel)
        text += label + format.afterLabel;
    text += format.beforeValue + value + format.afterValue;
}

QString BuildRecordText(const RecordCopyBuffer& buffer, const CopyStyle& style) {
    QString text;
    const bool lines = style.CopyType == 1;
    FieldLineFormat format;
    if (lines) {
        format.showLabel = style.CopyAddLabel;
        format.afterLabel = QStringLiteral(" :");
        format.afterValue = QStringLiteral("\r\n");
    } else {
        if (style.CopyAddChar) {
            format.beforeValue = style.AddStringStart;
            format.afterValue = style.AddStringEnd;
        }
        format.afterValue += QLatin1Char(' ');
    }

    if (style.SkipPoorField) {
        for (int field : kCopyOrder)
            AppendFieldLine(text, style.FieldLabels[static_cast<size_t>(field)],
                            buffer.field(field), isDateField(field), format);
        return text;
    }

    // Every field has its place; an empty one (a date's empty form included) is
    // written as the empty text.
    QStringList parts;
    for (int field : kCopyOrder) {
        const QString raw = buffer.field(field);
        const QString value = isEmptyValue(raw, isDateField(field)) ? QString() : raw;
        const QString& label = style.FieldLabels[static_cast<size_t>(field)];
        if (lines)
            parts << (style.CopyAddLabel ? label + QStringLiteral("：") : QString()) + value +
                         QStringLiteral("\r\n");
        else if (style.CopyAddChar)
            parts << style.AddStringStart + value + style.AddStringEnd;
        else
            parts << value;
    }
    return parts.join(lines ? QString() : QStringLiteral(" "));
}

QByteArray EncodeRecordBlock(const RecordCopyBuffer& buffer) {
    QByteArray block = kMagic;
    block.append(kVersion);
    appendUint32(block, 0);  // slot 0: nothing sets it
    for (size_t i = 1; i < buffer.texts.size(); ++i) {
        const QByteArray utf8 = buffer.texts[i].toUtf8();
        appendUint32(block, static_cast<quint32>(utf8.size()));
        block.append(utf8);
    }
    return block;
}

std::optional<RecordCopyBuffer> DecodeRecordBlock(const QByteArray& block) {
    if (!block.startsWith(kMagic) || block.size() < kMagic.size() + 5 ||
        block[kMagic.size()] != kVersion)
        return std::nullopt;
    qsizetype pos = kMagic.size() + 1 + 4;
    RecordCopyBuffer buffer;
    for (size_t i = 1; i < buffer.texts.size(); ++i) {
        // A block of a program with fewer fields ends early: the others stay empty.
        if (pos == block.size() && i > static_cast<size_t>(FieldNo::Writer5))
            break;
        if (block.size() - pos < 4)
            return std::nullopt;
        const quint32 length = qFromLittleEndian<quint32>(block.constData() + pos);
        pos += 4;
        if (static_cast<quint64>(block.size() - pos) < length)
            return std::nullopt;
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        buffer.texts[i] = decoder.decode(QByteArrayView(block.constData() + pos, length));
        if (decoder.hasError())
            return std::nullopt;
        pos += length;
    }
    if (pos != block.size())
        return std::nullopt;
    return buffer;
}

}  // namespace quillo
