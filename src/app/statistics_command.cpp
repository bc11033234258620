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
    const QString books =
        m_store.sameBooksShown()           ? QStringLiteral("重複の候補の本")
        : m_store.uncertainReadingsShown() ? QStringLiteral("読みの確認の本")
        : !m_store.FilterCondition().isEmpty()
            ? QStringLiteral("フィルター「%1」で絞り込んだ本").arg(m_settings.FilterText)
            : QStringLiteral("カタログのすべての本");
    // Pending books are on the screen but not yet in the file: said plainly,
    // or a list of 50 new books beside "0 冊" looks like a fault.
    const QString scope =
        m_store.QueryBook().updatesPending()
            ? books + QStringLiteral(
                          "のうち、保存済みのものを数えています。まだ適用していない"
                          "変更は、更新適用のあとで数えられます。")
            : books + QStringLiteral("を数えています。");
    BusyCursor busy;
    // With nothing pending the list holds exactly the stored books it selects:
    // they are counted where they are, without reading them again.
    const CachedDataset& shown = m_store.QueryBook();
    const CollectionCounts counts =
        shown.isActive() && !shown.updatesPending()
            ? CountShownBooks(shown)
            : CountCollection(m_store.Database(), m_store.liveSelection());
    return std::make_unique<TFormStatistics>(counts, scope, this);
}

void TFormMainWin::menuVStatisticsClick() {
    makeStatistics()->exec();
}

}  // namespace quillo
