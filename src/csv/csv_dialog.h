#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "csv/csv_exchange.h"

namespace quillo {

class TDM;

// What the CSV dialog needs of the main window.
class CsvDialogHost {
public:
    virtual ~CsvDialogHost() = default;
    virtual CsvSettings& csvSettings() = 0;
    virtual void ShowStatusText(const QString& text) = 0;
    // How the columns of a file with this heading (csvHeadingKey) were set
    // last time, as csvColumnsText wrote them; empty when never.
    virtual QString rememberedCsvColumns(const QString& key) = 0;
    virtual void rememberCsvColumns(const QString& key, const QString& columns) = 0;
};

// The CSV exchange dialog: chooses import or export, the file and its format,
// runs the store's import or export and says how it went. Made for each use.
class TFormIoCsv : public QDialog {
    Q_OBJECT
public:
    TFormIoCsv(TDM& store, CsvDialogHost& host, QWidget* mainWindow);

    // Opens with 入力 chosen (where the catalogue takes books), as the welcome
    // page's "read from a CSV file" means.
    void startWithImport() { m_startWithImport = true; }

    void ButtonExecClick();
    void ButtonFileBrowsClick();
    // Shows the file's first lines with the field each column goes to, for
    // the user to change.
    void ButtonColumnsClick();

    static inline const QString kFileFilter =
        QStringLiteral("CSV 形式ﾌｧｲﾙ (*.CSV *.csv);;ﾃｷｽﾄﾌｧｲﾙ (*.TXT *.txt);;すべてのﾌｧｲﾙ (*)");

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FormShow();
    void refreshExec();
    void copyToSettings();
    void runImport(const QString& fileName);
    void runExport(const QString& fileName);
    void message(const QString& text, int kind);
    void takeRememberedColumns(CsvSettings& settings);

    TDM& m_store;
    CsvDialogHost& m_host;
    QWidget* m_mainWindow;
    QButtonGroup* m_procKind;
    bool m_startWithImport = false;
    QLineEdit* m_fileName;
    QCheckBox* m_quote;
    QCheckBox* m_header;
    QCheckBox* m_readings;
    QCheckBox* m_formulaGuard;
    QComboBox* m_dateFormat;
    QComboBox* m_encoding;
    QComboBox* m_split;
    QButtonGroup* m_separator;
    QPushButton* m_exec;
    QPushButton* m_columns;
};

}  // namespace quillo
