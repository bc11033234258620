#pragma once

#include <QList>

class QGridLayout;
class QLabel;
class QWidget;

namespace quillo {

// Lays a book's fields out as the record dialog and the card show them, each
// field where the field table puts it: the fields across the top, then the
// left and the right columns side by side, then the fields across below. A
// row is a label and its box, with a button beside the box (a date's) and
// rows of its own under it (a reading's). The grid grows with the font, so
// nothing is cut at a large font or scale.
class FieldFormLayout {
public:
    explicit FieldFormLayout(QGridLayout* grid);

    // In tab order.
    void addField(int fieldNo, QLabel* label, QWidget* box, QWidget* beside = nullptr);
    // A row under the field added last, in its column.
    void addUnder(QLabel* label, QWidget* box);
    // Places the rows; the boxes of each column share its width. A box is never
    // narrower than `columnChars` wide characters of its font.
    void finish(int columnChars);

private:
    struct Row {
        int area;
        QLabel* label;
        QWidget* box;
        QWidget* beside;
    };
    QGridLayout* m_grid;
    QList<Row> m_rows;
};

}  // namespace quillo
