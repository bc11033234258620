#include "engine/field_def.h"

#include "engine/statement.h"

namespace quillo {

std::vector<FieldDef> fieldsOf(const Statement& statement) {
    std::vector<FieldDef> fields;
    for (int i = 0; i < statement.columnCount(); ++i) {
        const QByteArray type = statement.declaredType(i);
        FieldKind kind = FieldKind::Text;
        if (type.contains("INT"))
            kind = FieldKind::Integer;
        else if (type.contains("DATE"))
            kind = FieldKind::Date;
        fields.push_back({statement.columnName(i), kind});
    }
    return fields;
}

int indexOfField(const std::vector<FieldDef>& fields, const QString& name) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace quillo

#include "engine/date_field.h"
#include "engine/packed_row.h"

namespace quillo {

QString fieldText(const PackedRow& row, int field, FieldKind kind) {
    switch (row.type(field)) {
        case FieldValue::Type::Null:
            return QString();
        case FieldValue::Type::Integer:
            return QString::number(row.integer(field));
        case FieldValue::Type::Text:
            return kind == FieldKind::Date ? storedDateToShown(row.text(field))
                                           : QString::fromUtf8(row.text(field));
    }
    return QString();
}

void loadRows(Statement& statement, std::vector<PackedRow>& rows) {
    while (statement.step())
        rows.push_back(statement.currentRow());
}

}  // namespace quillo
