#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>

#include "store/book_record.h"

class QLabel;
class QMenu;
class QLineEdit;
class QWidget;

namespace quillo {

class BookReadings;
class SjisLimitValidator;

// The reading boxes under 書名, 著者名 and 出版社 in the record dialog: each is
// filled from its field as the user leaves the field (until the user types in
// it), and what the user typed is kept with the book's pending changes, where a
// writer's or publisher's reading is learned for the name.
class ReadingBoxes : public QObject {
    Q_OBJECT
public:
    // Title, Writer and Publisher, in that order.
    static constexpr int kCount = 3;

    explicit ReadingBoxes(QWidget* dialog);
    // Whether a field has a reading box under it.
    static bool hasBox(int field) {
        return field >= FieldNo::Title && field < FieldNo::Title + kCount;
    }
    QLineEdit* box(int field) const;
    QLabel* label(int field) const;
    // Where the catalogue's readings are, asked each time (a restore brings
    // new ones); none (a catalogue without them) shows the boxes empty and
    // closed to typing.
    void setReadings(std::function<BookReadings*()> readings) { m_readings = std::move(readings); }

    // The boxes of a book being edited (its own readings) or added (empty).
    void load(qint64 id, const std::array<QString, kCount>& texts);
    void clear();
    // The field was left with this text: its box follows unless typed in.
    void fieldLeft(int field, const QString& text);
    // Keeps what the user typed for the book; nothing when nothing was typed.
    void save(qint64 id, const std::array<QString, kCount>& texts);
    bool typedSinceShown() const;
    // A reading given from elsewhere (a library record) for a field's text:
    // kept as one the user typed, so a name's is learned.
    void give(int field, const QString& text, const QString& reading);
    // Offers the readings for a field's text under its box (the ▼ in the box,
    // or Alt+Down there); picking one is as typing it.
    void offerCandidates(int field);
    QMenu* candidatesMenu() const { return m_menu; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void markUncertain(int index, bool uncertain);
    std::function<BookReadings*()> m_readings;
    BookReadings* readings() const { return m_readings ? m_readings() : nullptr; }
    std::array<QLineEdit*, kCount> m_boxes{};
    std::array<QLabel*, kCount> m_labels{};
    std::array<SjisLimitValidator*, kCount> m_limits{};
    std::array<bool, kCount> m_typed{};
    std::array<QString, kCount> m_texts;  // the fields' texts, as last left
    QMenu* m_menu = nullptr;
};

}  // namespace quillo
