#pragma once

#include <QString>
#include <vector>

#include "engine/field_value.h"

namespace quillo {

class Statement;

struct FieldDef {
    QString name;
    FieldKind kind = FieldKind::Text;
};

// The columns of a prepared SELECT, with their kinds taken from the declared
// column types: INTEGER for integers, DATE for dates, anything else text.
std::vector<FieldDef> fieldsOf(const Statement& statement);

// Index of a column by name (case-insensitive, as SQL names are), or -1.
int indexOfField(const std::vector<FieldDef>& fields, const QString& name);

}  // namespace quillo

namespace quillo {

class PackedRow;

// A column value as text: integers in decimal, dates as "yyyy/mm/dd", no value as "".
QString fieldText(const PackedRow& row, int field, FieldKind kind);

// Runs a SELECT and keeps every row it returns.
void loadRows(Statement& statement, std::vector<class PackedRow>& rows);

}  // namespace quillo
