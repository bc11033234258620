#include "store/book_table.h"

#include <QFileInfo>

#include "store/book_record.h"

namespace quillo {

const TableSchema& bookTableSchema() {
    static const TableSchema schema = [] {
        TableSchema s;
        s.table = QStringLiteral("quillo");
        s.key = QString::fromLatin1(bookField(FieldNo::ID).column);
        QStringList definitions;
        for (int k = 0; k < kFieldCount; ++k) {
            s.columns << QString::fromLatin1(bookField(k).column);
            definitions << s.columns.back() + u' ' + QString::fromLatin1(bookField(k).sqlType);
        }
        s.create = QStringLiteral("CREATE TABLE quillo ( ") +
                   definitions.join(QStringLiteral(", ")) + u')';
        return s;
    }();
    return schema;
}

void CreateCatalogue(const QString& path) {
    CreateDatabase(path, bookTableSchema());
}

bool CreateCatalogueIfMissing(const QString& path) {
    if (QFileInfo::exists(path))
        return false;
    CreateCatalogue(path);
    return true;
}

}  // namespace quillo
