#pragma once

#include <QHash>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "reading/reading_table.h"
#include "store/book_readings.h"

namespace quillo {

class Connection;
class ReadingAnalyzer;

// The readings of one open catalogue: made for the books that lack them when
// it is opened, kept in step with every apply, and the user's own readings
// kept with the pending changes until they are applied.
class CatalogueReadings : public BookReadings {
public:
    explicit CatalogueReadings(Connection& connection);
    ~CatalogueReadings() override;

    // True when the catalogue has the reading tables (the readings may still
    // lack books another program added): a quick look, for reading ahead.
    bool kept() const { return m_table.exists(); }
    // How many books have no readings yet (all of them in a catalogue this
    // version never wrote to).
    int booksToRead() const;
    // Makes the tables where they are missing and the readings books lack, in
    // one transaction; progress(done, total) is told as they are made. A
    // catalogue that cannot be written is used as it is: ready() says whether
    // its readings can be relied on.
    void prepare(bool writable, const std::function<void(int done, int total)>& progress = {});

    bool ready() const override { return m_ready; }
    QString limitation() const override;
    bool booksWritten(const std::vector<qint64>& ids) override;
    bool booksAdded(qint64 first, qint64 last) override;
    void forgetPending() override {
        m_pending.clear();
        m_ownFields.clear();
    }
    QString reading(qint64 id, int field, const QString& text) const override;
    QString readingOf(const QString& text, int field) const override;
    void setReading(qint64 id, int field, const QString& reading) override;
    void setOwnReading(qint64 id, int field, const QString& reading) override;
    QStringList candidates(const QString& text, int field) const override;
    bool uncertain(qint64 id, int field) const override;
    int uncertainBooks() const override;

private:
    const ReadingAnalyzer& analyzer() const;
    const LearnedNames& learned() const;
    // The readings set for the books just written are stored (a name's
    // learned); true when other books' readings changed too.
    bool pendingWritten();

    Connection& m_connection;
    ReadingTable m_table;
    mutable std::unique_ptr<ReadingAnalyzer> m_analyzer;  // made when first needed
    mutable std::optional<LearnedNames> m_learned;        // read when first needed
    // The user's readings of the fields that have one, by book, until applied.
    QHash<qint64, std::array<std::optional<QString>, kReadFields.size()>> m_pending;
    // Which of them are the book's own, not to be learned (a bit per field).
    QHash<qint64, quint8> m_ownFields;
    bool m_ready = false;
};

}  // namespace quillo
