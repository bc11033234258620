#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QList>
#include <QStringList>

#include "csv/csv_heading.h"

namespace quillo {

// Shows a file's first lines and, over each column, the field it is read
// into; the user may change any of them and say whether line 1 is a heading.
class CsvColumnsDialog : public QDialog {
    Q_OBJECT
public:
    // `labels`: the twelve columns' labels and the memo's, as the user names them.
    CsvColumnsDialog(const QList<QStringList>& preview, const QList<CsvColumn>& columns,
                     bool heading, const QStringList& labels, QWidget* parent);

    QList<CsvColumn> columns() const;
    bool heading() const { return m_heading->isChecked(); }

private:
    struct Choice {
        QString label;
        CsvColumn::Kind kind;
        int target;
    };
    QList<Choice> m_choices;
    QList<QComboBox*> m_boxes;
    QStringList m_names;  // line 1's texts, the columns' names when it is a heading
    QCheckBox* m_heading;
};

}  // namespace quillo
