#include "ui/field_form_layout.h"

#include <QGridLayout>
#include <QLabel>

#include "store/book_record.h"

namespace quillo {

namespace {

// The grid's columns: a label, its box and the button beside it, twice.
constexpr int kLeftLabel = 0;
constexpr int kRightLabel = 3;
constexpr int kColumns = 6;

}  // namespace

FieldFormLayout::FieldFormLayout(QGridLayout* grid) : m_grid(grid) {}

void FieldFormLayout::addField(int fieldNo, QLabel* label, QWidget* box, QWidget* beside) {
    m_rows.append({static_cast<int>(bookField(fieldNo).area), label, box, beside});
}

void FieldFormLayout::addUnder(QLabel* label, QWidget* box) {
    m_rows.append({m_rows.isEmpty() ? static_cast<int>(FormArea::Across) : m_rows.last().area,
                   label, box, nullptr});
}

void FieldFormLayout::finish(int columnChars) {
    auto place = [this](const Row& r, int row, int first, int span) {
        if (r.label) {
            r.label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_grid->addWidget(r.label, row, first);
        }
        const int boxSpan = r.beside ? span - 2 : span - 1;
        m_grid->addWidget(r.box, row, first + 1, 1, boxSpan);
        if (r.beside)
            m_grid->addWidget(r.beside, row, first + span - 1);
    };
    int row = 0;
    for (const Row& r : std::as_const(m_rows))
        if (r.area == static_cast<int>(FormArea::Across))
            place(r, row++, kLeftLabel, kColumns);
    int left = row, right = row;
    for (const Row& r : std::as_const(m_rows)) {
        if (r.area == static_cast<int>(FormArea::Left))
            place(r, left++, kLeftLabel, kRightLabel - kLeftLabel);
        else if (r.area == static_cast<int>(FormArea::Right))
            place(r, right++, kRightLabel, kColumns - kRightLabel);
    }
    row = std::max(left, right);
    for (const Row& r : std::as_const(m_rows))
        if (r.area == static_cast<int>(FormArea::Below)) {
            place(r, row, kLeftLabel, kColumns);
            m_grid->setRowStretch(row++, 1);
        }
    // The two columns' boxes share the width; labels and buttons take what
    // they need.
    for (int column : {kLeftLabel + 1, kRightLabel + 1}) {
        m_grid->setColumnStretch(column, 1);
        int wide = 0;
        for (const Row& r : std::as_const(m_rows))
            wide = std::max(wide, r.box->fontMetrics().horizontalAdvance(QStringLiteral("あ")));
        m_grid->setColumnMinimumWidth(column, wide * columnChars);
    }
}

}  // namespace quillo
