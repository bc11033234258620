#include "backup/restore_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quillo {

TFormRestoreBackup::TFormRestoreBackup(std::vector<BackupEntry> backups, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint), m_backups(std::move(backups)) {
    setObjectName(QStringLiteral("TFormRestoreBackup"));
    setWindowTitle(QStringLiteral("バックアップから復元"));
    auto* note = new QLabel(
        m_backups.empty()
            ? QStringLiteral("このカタログのバックアップはまだありません。バックアップは更新適用"
                             "の前に自動で作られます。")
            : QStringLiteral("復元するバックアップを選んでください。今のカタログも復元の前に"
                             "バックアップされるので、復元は元に戻せます。"));
    note->setWordWrap(true);
    m_list = new QTableWidget(static_cast<int>(m_backups.size()), 3, this);
    m_list->setObjectName(QStringLiteral("ListBackups"));
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("日時"), QStringLiteral("冊数"), QStringLiteral("サイズ")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int row = 0; row < static_cast<int>(m_backups.size()); ++row) {
        const BackupEntry& b = m_backups[static_cast<size_t>(row)];
        auto cell = [&](int column, const QString& text, Qt::Alignment align) {
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(align | Qt::AlignVCenter);
            m_list->setItem(row, column, item);
        };
        cell(0, backupTimeText(b), Qt::AlignLeft);
        cell(1, backupBooksText(b), Qt::AlignRight);
        cell(2, backupSizeText(b.bytes), Qt::AlignRight);
    }
    if (!m_backups.empty())
        m_list->selectRow(0);
    auto* restore = new QPushButton(QStringLiteral("復元(&R)"));
    restore->setObjectName(QStringLiteral("ButtonRestore"));
    restore->setEnabled(!m_backups.empty());
    restore->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"));
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    connect(restore, &QPushButton::clicked, this, [this] {
        if (chosen())
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this] {
        if (chosen())
            accept();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(restore);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(460, 360);
}

const BackupEntry* TFormRestoreBackup::chosen() const {
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_backups.size()) ||
        m_backups[static_cast<size_t>(row)].books < 0)
        return nullptr;
    return &m_backups[static_cast<size_t>(row)];
}

}  // namespace quillo
