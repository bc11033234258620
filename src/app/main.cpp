#include <QApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QMessageBox>
#include <QTableView>

#include "app/book_list_model.h"
#include "engine/engine_error.h"
#include "settings/app_settings.h"
#include "store/tdm.h"

namespace {

// Until the full main window exists, the catalogue is shown read-only in a table.
class CatalogueWindow : public QMainWindow, public quillo::StoreHost {
public:
    CatalogueWindow() {
        setWindowTitle(QStringLiteral("Quillo"));
        resize(m_settings.bounds.width, m_settings.bounds.height);
        m_store = quillo::TDM::OpenStore(this);
        m_store->QueryAll();
        m_maxId = m_store->GetMaxId();
        m_model = new quillo::BookListModel(m_store->QueryBook(), this);
        QList<int> fields;
        QStringList titles;
        for (int k = 1; k < quillo::kFieldCount; ++k) {
            fields << k;
            titles << m_settings.FieldLabels[static_cast<size_t>(k)];
        }
        m_model->setColumns(fields, titles);
        auto* view = new QTableView(this);
        view->setObjectName(QStringLiteral("DBGridListView"));
        view->setModel(m_model);
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        setCentralWidget(view);
    }

    int MaxId() const override { return m_maxId; }
    void SetMaxId(int id) override { m_maxId = id; }
    quillo::SortSettings sortSettings() const override { return m_settings.sort(); }
    QString filterText() const override { return m_settings.FilterText; }
    quillo::FieldFlags filterFields() const override { return m_settings.filterFlags(); }
    int viewType() const override { return m_settings.ViewType; }
    void RefreshRecordStatus() override {}
    void SetPendingMode(bool) override {}
    void RefreshNavigation() override {}
    void FillCard() override {}
    int AskConfirmation(const QString&) override { return 7; }

private:
    quillo::AppSettings m_settings;
    int m_maxId = 0;
    std::unique_ptr<quillo::TDM> m_store;
    quillo::BookListModel* m_model = nullptr;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillo"));
    try {
        CatalogueWindow window;
        window.show();
        return app.exec();
    } catch (const quillo::EngineError& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Quillo"), e.message());
        return 0;
    }
}
