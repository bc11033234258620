// 表示 > 統計: the books the list shows, counted and drawn.
#include "app/main_window.h"
#include "platform/busy_cursor.h"
#include "stats/collection_counts.h"
#include "stats/statistics_window.h"
#include "store/tdm.h"

namespace quillo {

std::unique_ptr<TFormStatistics> TFormMainWin::makeStatistics() {
    // The books are counted as they are stored: the list's filter narrows them,
    // a change not yet applied does not show until it is.
    QString scope = m_store.sameBooksShown() ? QStringLiteral("重複の候補の本を数えています。")
                    : !m_store.FilterCondition().isEmpty()
                        ? QStringLiteral("フィルター「%1」で絞り込んだ本を数えています。")
                              .arg(m_settings.FilterText)
                        : QStringLiteral("カタログのすべての本を数えています。");
    if (m_store.QueryBook().updatesPending())
        scope += QStringLiteral("まだ適用していない変更は含まれません。");
    BusyCursor busy;
    const CollectionCounts counts = CountCollection(m_store.Database(), m_store.liveSelection());
    return std::make_unique<TFormStatistics>(counts, scope, this);
}

void TFormMainWin::menuVStatisticsClick() {
    makeStatistics()->exec();
}

}  // namespace quillo
