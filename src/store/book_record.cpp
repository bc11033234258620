#include "store/book_record.h"

namespace quillo {

namespace {

using K = FieldKindOfBook;

const std::array<BookFieldInfo, kFieldCount> kFields = {{
    {"ID", "INTEGER PRIMARY KEY", K::Key, 0, "ID", ""},
    {"Title", "TEXT", K::Text, 255, "書名", "(&N)"},
    {"Writer", "TEXT", K::Text, 64, "著者名", "(&W)"},
    {"Publisher", "TEXT", K::Text, 64, "出版社", "(&P)"},
    {"PubDate", "DATE", K::Date, 0, "初版発行日", "(&D)"},
    {"BuyDate", "DATE", K::Date, 0, "購入日", "(&B)"},
    {"SubTitle", "TEXT", K::Text, 255, "副題", "(&S)"},
    {"Kind", "TEXT", K::Text, 64, "分類", "(&K)"},
    {"Translator", "TEXT", K::Text, 64, "翻訳者", "(&T)"},
    {"Memo", "TEXT", K::Memo, 255, "メモ", "(&M)"},
    {"Writer2", "TEXT", K::Text, 64, "著者名２", "(&2)"},
    {"Writer3", "TEXT", K::Text, 64, "著者名３", "(&3)"},
    {"Writer4", "TEXT", K::Text, 64, "著者名４", "(&4)"},
    {"Writer5", "TEXT", K::Text, 64, "著者名５", "(&5)"},
}};

}  // namespace

const BookFieldInfo& bookField(int fieldNo) {
    return kFields.at(static_cast<size_t>(fieldNo));
}

FieldNameTable::FieldNameTable() {
    for (int i = 0; i < kFieldCount; ++i)
        m_names[static_cast<size_t>(i)] =
            QString::fromLatin1(kFields[static_cast<size_t>(i)].column);
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
        labels[static_cast<size_t>(i)] =
            QString::fromUtf8(kFields[static_cast<size_t>(i)].defaultLabel);
    return labels;
}

}  // namespace quillo
