#include "app/reading_preparation.h"

#include <QApplication>
#include <QProgressDialog>

#include "engine/engine_error.h"
#include "reading/catalogue_readings.h"
#include "store/tdm.h"

namespace quillo {

namespace {

// Fewer books than this are read without a dialog: it would only flash.
constexpr int kQuietlyRead = 2000;

}  // namespace

bool readingsKept(TDM& store) {
    return CatalogueReadings(store.Database()).kept();
}

int openReadings(TDM& store, QWidget* parent) {
    auto readings = std::make_unique<CatalogueReadings>(store.Database());
    const bool writable = !store.readOnly();
    int total = 0;
    try {
        total = writable ? readings->booksToRead() : 0;
        if (total < kQuietlyRead) {
            readings->prepare(writable);
        } else {
            QProgressDialog progress(parent);
            progress.setWindowTitle(QStringLiteral("Quillo"));
            progress.setCancelButton(nullptr);
            progress.setMinimumDuration(0);
            progress.setRange(0, total);
            progress.setWindowModality(Qt::ApplicationModal);
            auto tell = [&](int done, int all) {
                progress.setMaximum(all);
                progress.setValue(done);
                progress.setLabelText(QStringLiteral("読みを準備しています… %1 / %2")
                                          .arg(QString::number(done), QString::number(all)));
                QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            };
            tell(0, total);
            readings->prepare(writable, tell);
        }
    } catch (const EngineError&) {
        // The books are all there; only their order and the kana search wait
        // for a start that can write the readings.
    }
    store.setReadings(std::move(readings));
    return total;
}

}  // namespace quillo
