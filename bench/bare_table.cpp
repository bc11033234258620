// The reference for start-up: the least a Qt program can do to show the same
// books — one sorted SELECT into a plain table model, shown in a QTableView.
// Usage: quillo-bare-table <book.db>
#include <sqlite3.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QTableView>
#include <vector>

#include "platform/first_paint_probe.h"

namespace {

class PlainTableModel : public QAbstractTableModel {
public:
    std::vector<QStringList> rows;
    QStringList header;
    int rowCount(const QModelIndex& = {}) const override { return static_cast<int>(rows.size()); }
    int columnCount(const QModelIndex& = {}) const override {
        return static_cast<int>(header.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole)
            return {};
        return rows[static_cast<size_t>(index.row())][index.column()];
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole || o != Qt::Horizontal)
            return QAbstractTableModel::headerData(section, o, role);
        return header[section];
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select * from quillo order by Writer, Title, ID", -1, &st, nullptr);
    PlainTableModel model;
    const int columns = sqlite3_column_count(st);
    for (int c = 0; c < columns; ++c)
        model.header << QString::fromUtf8(sqlite3_column_name(st, c));
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
        model.rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    QTableView view;
    view.setModel(&model);
    view.resize(800, 600);
    quillo::FirstPaintProbe::installIfRequested();
    view.show();
    return app.exec();
}
