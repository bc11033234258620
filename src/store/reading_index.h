#pragma once

#include <QChar>
#include <QString>
#include <vector>

#include "engine/cached_dataset.h"

namespace quillo {

class TDM;

// The kana index of the list in reading order: the first book whose reading
// (of the first sort key) starts with what was typed, in kana or romaji; the
// first book of a row of the kana table (あ か さ … わ) or of a Latin letter;
// and where the current book stands ("な行"). In other orders, or without
// readings, there is no index.
class ReadingIndex : public DatasetListener {
public:
    explicit ReadingIndex(TDM& store);
    ~ReadingIndex() override;
    ReadingIndex(const ReadingIndex&) = delete;
    ReadingIndex& operator=(const ReadingIndex&) = delete;

    bool available() const;
    // The list row to go to, or -1 when no book is there.
    int rowOfTyped(const QString& typed);
    int rowOfKanaRow(int kanaRow);  // あ … わ as 0 … 9
    int rowOfLetter(QChar letter);
    // Where a row's book stands: "な行", "A", or empty.
    QString placeOf(int row) const;

    void beginReset() override { m_rows.clear(); }
    void beginInsertRow(int) override { m_rows.clear(); }
    void beginRemoveRow(int) override { m_rows.clear(); }
    void rowChanged(int) override { m_rows.clear(); }

private:
    struct Row {
        QString reading;  // as stored
        QString plain;    // plainKana of it
        QString romaji;   // its romaji, without blanks
    };
    QString column() const;
    const std::vector<Row>& rows();
    template <typename Test>
    int firstRow(Test test);

    TDM& m_store;
    std::vector<Row> m_rows;  // by list row; made when first needed after a change
};

}  // namespace quillo
