#pragma once

#include <QAbstractTableModel>
#include <QList>

#include "engine/cached_dataset.h"

namespace quillo {

// The rows of the live query as a table model: reads the dataset in place, holds
// no copies, and follows its changes.
class BookListModel : public QAbstractTableModel, private DatasetListener {
    Q_OBJECT
public:
    explicit BookListModel(CachedDataset& dataset, QObject* parent = nullptr);
    ~BookListModel() override;

    // The dataset fields shown as columns, in order.
    void setColumns(const QList<int>& fields, const QStringList& titles);
    int fieldOfColumn(int column) const { return m_fields.value(column, -1); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void beginReset() override { beginResetModel(); }
    void endReset() override { endResetModel(); }
    void beginInsertRow(int row) override { beginInsertRows({}, row, row); }
    void endInsertRow() override { endInsertRows(); }
    void beginRemoveRow(int row) override { beginRemoveRows({}, row, row); }
    void endRemoveRow() override { endRemoveRows(); }
    void rowChanged(int row) override;

    CachedDataset& m_dataset;
    QList<int> m_fields;
    QStringList m_titles;
};

}  // namespace quillo
