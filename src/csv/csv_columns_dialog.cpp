#include "csv/csv_columns_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "store/book_record.h"

namespace quillo {

namespace {

constexpr int kShownLines = 8;

}  // namespace

CsvColumnsDialog::CsvColumnsDialog(const QList<QStringList>& preview,
                                   const QList<CsvColumn>& columns, bool heading,
                                   const QStringList& labels, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CsvColumnsDialog"));
    setWindowTitle(QStringLiteral("列の対応"));
    using K = CsvColumn::Kind;
    m_choices << Choice{QStringLiteral("（読まない）"), K::Ignored, -1};
    for (size_t c = 0; c < kCsvFields.size(); ++c) {
        const int field = kCsvFields[c];
        const QString label = labels.value(qsizetype(c));
        if (field == FieldNo::Writer)
            m_choices << Choice{label + QStringLiteral("（複数の名前も）"), K::Writers, field};
        else
            m_choices << Choice{label, K::Field, field};
    }
    m_choices << Choice{labels.value(qsizetype(kCsvFields.size()),
                                     QString::fromUtf8(bookField(FieldNo::Memo).defaultLabel)),
                        K::Field, FieldNo::Memo};
    const QStringList readingLabels = {QStringLiteral("書名ヨミ"), QStringLiteral("著者名ヨミ"),
                                       QStringLiteral("出版社ヨミ")};
    for (int k = 0; k < readingLabels.size(); ++k)
        m_choices << Choice{readingLabels[k], K::Reading, k};
    m_choices << Choice{QStringLiteral("ISBN"), K::Isbn, 0};

    qsizetype width = columns.size();
    for (const QStringList& line : preview)
        width = std::max(width, line.size());
    m_names = preview.value(0);

    auto* table = new QTableWidget(int(std::min<qsizetype>(preview.size(), kShownLines)) + 1,
                                   int(width), this);
    table->setObjectName(QStringLiteral("TableColumns"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    QStringList headers;
    for (qsizetype c = 0; c < width; ++c)
        headers << QString::number(c + 1) + QStringLiteral(" 列");
    table->setHorizontalHeaderLabels(headers);
    for (qsizetype c = 0; c < width; ++c) {
        auto* box = new QComboBox;
        box->setObjectName(QStringLiteral("ComboBoxColumn") + QString::number(c + 1));
        for (const Choice& choice : m_choices)
            box->addItem(choice.label);
        const CsvColumn column = columns.value(c);
        for (qsizetype i = 0; i < m_choices.size(); ++i) {
            const Choice& choice = m_choices[i];
            const bool writers = column.kind == K::Field && column.target == FieldNo::Writer;
            if ((writers && choice.kind == K::Writers) ||
                (choice.kind == column.kind && choice.target == column.target))
                box->setCurrentIndex(int(i));
        }
        table->setCellWidget(0, int(c), box);
        m_boxes << box;
    }
    for (qsizetype r = 0; r < preview.size() && r < kShownLines; ++r)
        for (qsizetype c = 0; c < preview[r].size(); ++c)
            table->setItem(int(r) + 1, int(c), new QTableWidgetItem(preview[r][c]));
    table->resizeColumnsToContents();

    m_heading = new QCheckBox(QStringLiteral("1 行目は見出し（読み飛ばす）(&H)"));
    m_heading->setObjectName(QStringLiteral("CheckBoxColumnsHeading"));
    m_heading->setChecked(heading);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral(
        "列ごとに、読み込む項目を選んでください。見出しのあるファイルでは、次に同じ見出しの"
        "ファイルを読むときもこの対応を使います。")));
    layout->addWidget(table);
    layout->addWidget(m_heading);
    layout->addWidget(buttons);
    resize(720, 360);
}

QList<CsvColumn> CsvColumnsDialog::columns() const {
    QList<CsvColumn> columns;
    for (qsizetype c = 0; c < m_boxes.size(); ++c) {
        const Choice& choice = m_choices.value(m_boxes[c]->currentIndex());
        CsvColumn column;
        column.kind = choice.kind;
        column.target = choice.target;
        column.name = heading() ? m_names.value(c).trimmed() : QString();
        columns << column;
    }
    return columns;
}

}  // namespace quillo
