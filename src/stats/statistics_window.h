#pragma once

#include <QDialog>
#include <QImage>
#include <QStringList>

#include "stats/collection_counts.h"

class QTabWidget;

namespace quillo {

// 表示 > 統計: the totals of the books counted and a chart per series, each on
// a tab of its own; the chart shown can be saved as a PNG image or copied.
class TFormStatistics : public QDialog {
    Q_OBJECT
public:
    // `scope` says which books were counted ("すべての本", a filter, ...).
    TFormStatistics(const CollectionCounts& counts, const QString& scope, QWidget* parent);

    // The chart shown, as it is drawn on the screen.
    QImage currentChartImage() const;
    void ButtonSaveClick();
    void ButtonCopyClick();

private:
    QTabWidget* m_tabs = nullptr;
    QStringList m_imageNames;  // the file name each tab's image is offered under
};

}  // namespace quillo
