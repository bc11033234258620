#include "app/book_list_model.h"

namespace quillo {

BookListModel::BookListModel(CachedDataset& dataset, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset) {
    m_dataset.addListener(this);
}

BookListModel::~BookListModel() {
    m_dataset.removeListener(this);
}

void BookListModel::setColumns(const QList<int>& fields, const QStringList& titles) {
    beginResetModel();
    m_fields = fields;
    m_titles = titles;
    endResetModel();
}

int BookListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_dataset.rowCount();
}

int BookListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_fields.size());
}

QVariant BookListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return m_dataset.textAt(index.row(), m_fields.value(index.column(), -1));
}

QVariant BookListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_titles.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void BookListModel::rowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

}  // namespace quillo
