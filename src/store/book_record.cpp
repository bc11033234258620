#include "store/book_record.h"

namespace quillo {

FieldNameTable::FieldNameTable() {
    for (int i = 0; i < kFieldCount; ++i)
        m_names[static_cast<size_t>(i)] = QString::fromLatin1(bookField(i).column);
}

int FieldNameTable::fieldNoOf(const QString& column) const {
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_names[static_cast<size_t>(i)].compare(column, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

std::array<QString, kFieldCount> defaultFieldLabels() {
    std::array<QString, kFieldCount> labels;
    for (int i = 0; i < kFieldCount; ++i)
        labels[static_cast<size_t>(i)] = QString::fromUtf8(bookField(i).defaultLabel);
    return labels;
}

std::array<int, kFieldCount> defaultFieldWidths() {
    std::array<int, kFieldCount> widths{};
    for (int i = 0; i < kFieldCount; ++i)
        widths[static_cast<size_t>(i)] = bookField(i).listWidth;
    return widths;
}

std::array<bool, kFieldCount> defaultFieldsShown() {
    std::array<bool, kFieldCount> shown{};
    for (int i = 0; i < kFieldCount; ++i)
        shown[static_cast<size_t>(i)] = bookField(i).listShown;
    return shown;
}

QString fieldChoiceCaption(int fieldNo) {
    const BookFieldInfo& f = bookField(fieldNo);
    return QString::fromUtf8(f.choiceName ? f.choiceName : f.defaultLabel) +
           QString::fromUtf8(f.mnemonic);
}

}  // namespace quillo
