#pragma once

#include <QWidget>

#include "lookup/ndl_book.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillo {

class NdlLookup;

// The record dialog's ISBN row: the number (ISBN-10 or -13, hyphens or not),
// checked as it is left, and "NDLで調べる", which asks the National Diet
// Library in the background (the button cancels while it waits).
class IsbnRow : public QWidget {
    Q_OBJECT
public:
    explicit IsbnRow(QWidget* parent);

    QLineEdit* box() const { return m_box; }
    QPushButton* lookUpButton() const { return m_button; }
    QLabel* status() const { return m_status; }

    // The book's ISBN shown hyphenated (empty for none).
    void show(const QString& isbn13);
    // The ISBN-13 typed, empty for none; nullopt (with the reason said in the
    // row) when what was typed is not an ISBN.
    std::optional<QString> typed();
    bool changedSinceShown() const;

    void lookUp();
    bool busy() const;
    void cancel();

signals:
    void found(const quillo::BookFromRecord& book);

private:
    void say(const QString& text, bool problem);

    QLineEdit* m_box;
    QPushButton* m_button;
    QLabel* m_status;
    NdlLookup* m_lookup;
    QString m_shown;
};

}  // namespace quillo
