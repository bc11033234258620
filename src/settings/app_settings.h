#pragma once

#include <QString>
#include <array>

#include "platform/font_setting.h"
#include "store/book_record.h"
#include "store/query_builder.h"

namespace quillo {

// Where and how large the window was.
struct WindowBounds {
    int left = 199;
    int top = 141;
    int width = 687;
    int height = 634;
    bool operator==(const WindowBounds&) const = default;
};

// The two views of the books, by the numbers the settings file stores.
enum class BookView { List = 0, Card = 1, Covers = 2 };

// All user settings, held by the main window for the run; initial values are the
// ones a first run starts with.
struct AppSettings {
    WindowBounds bounds;
    bool ToolBarShown = true;
    bool StatusBarShown = true;
    BookView ViewType = BookView::List;
    QString SortField1 = QStringLiteral("Writer");
    QString SortField2 = QStringLiteral("Title");
    int SortOption = 0;
    bool SortJis = true;  // texts in JIS order (close to reading order), else by code point
    // Titles, writers and publishers by their readings (五十音), the rest in JIS order.
    bool SortReading = true;
    std::array<QString, kFieldCount> FieldLabels = defaultFieldLabels();
    std::array<int, kFieldCount> FieldWidths = defaultFieldWidths();
    // A list column is never narrower: one dragged to nothing could not be found
    // again to be widened.
    static constexpr int kMinimumColumnWidth = 8;
    std::array<bool, kFieldCount> FieldVisible = defaultFieldsShown();
    QString FilterText;
    std::array<bool, kFieldCount> FilterFields = {};
    bool ConfirmExit = true;
    bool ConfirmApply = false;
    bool ConfirmCancel = false;
    bool ConfirmDelete = true;
    int CopyType = 1;
    bool CopyAddLabel = true;
    bool CopyAddChar = true;
    QString AddStringStart = QStringLiteral("『");
    QString AddStringEnd = QStringLiteral("』");
    bool SkipPoorField = true;
    FontSetting RecordFont;
    // Automatic backups before changes: on, the newest 20 kept, at most one in
    // ten minutes.
    bool BackupEnabled = true;
    int BackupKeep = 20;
    int BackupMinMinutes = 10;
    int BackupMaxMegabytes = 2000;
    // Looking books up at the National Diet Library: allowed, asked about once
    // in the window (the first look-up), where, and with covers.
    bool LookupEnabled = true;
    bool LookupAsked = false;
    QString LookupUrl = QStringLiteral("https://ndlsearch.ndl.go.jp");
    bool LookupCovers = true;
    FontSetting TitleFont;

    SortSettings sort() const {
        return {SortField1, SortField2, SortOption, SortJis || SortReading, SortReading};
    }
    FieldFlags filterFlags() const;
};

}  // namespace quillo
