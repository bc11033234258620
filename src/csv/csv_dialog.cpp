#include "csv/csv_dialog.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "csv/csv_columns_dialog.h"
#include "platform/busy_cursor.h"
#include "platform/file_identity.h"
#include "platform/help_viewer.h"
#include "store/same_books.h"
#include "store/tdm.h"
#include "ui/file_dialog.h"
#include "ui/message_dialog.h"

namespace quillo {

namespace {

constexpr int kImport = 0;
constexpr int kExport = 1;
// The separator button that has an import find the separator in its file.
constexpr int kFoundSeparator = 3;

QGroupBox* radioGroup(const char* name, const QString& caption, const QStringList& items,
                      QButtonGroup* group, const QString& hint) {
    auto* box = new QGroupBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(hint);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i]);
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    return box;
}

}  // namespace

TFormIoCsv::TFormIoCsv(TDM& store, CsvDialogHost& host, QWidget* mainWindow)
    : QDialog(mainWindow,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint),
      m_store(store),
      m_host(host),
      m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("TFormIoCsv"));
    setWindowTitle(QStringLiteral("CSV形式変換"));

    m_procKind = new QButtonGroup(this);
    QGroupBox* procKind = radioGroup("RadioGroupProcKind", QStringLiteral("処理種別(&K)"),
                                     {QStringLiteral("入力(&I)"), QStringLiteral("出力(&O)")},
                                     m_procKind, QStringLiteral("変換の処理を選択します。"));
    m_fileName = new QLineEdit;
    m_fileName->setObjectName(QStringLiteral("EditFileName"));
    m_fileName->setToolTip(QStringLiteral("入出力ファイル名を入力します。"));
    auto* fileLabel = new QLabel(QStringLiteral("入出力ファイル名(&N)"));
    fileLabel->setBuddy(m_fileName);
    auto* browse = new QPushButton(QStringLiteral("..."));
    browse->setObjectName(QStringLiteral("ButtonBrowse"));
    browse->setToolTip(QStringLiteral("ファイル選択ダイアログを表示します。"));
    browse->setAutoDefault(false);
    browse->setFixedWidth(28);
    m_quote = new QCheckBox(QStringLiteral("２重引用符で囲む(&Q)"));
    m_quote->setObjectName(QStringLiteral("CheckBoxQuote"));
    m_quote->setToolTip(QStringLiteral("各項目を２重引用符で囲むか、否かを選択します。"));
    // Three states: 自動 (partly ticked) judges an import's first line by its
    // texts and writes no heading; ticked always takes or writes one.
    m_header = new QCheckBox(QStringLiteral("1 行目は見出し(&H)"));
    m_header->setObjectName(QStringLiteral("CheckBoxHeader"));
    m_header->setTristate(true);
    m_header->setToolTip(
        QStringLiteral("入力: 1 行目が項目名の見出しなら読み飛ばします（中間の状態では、項目名"
                       "だけの行を見出しと判定します）。出力: チェックすると見出しを書きます。"));
    m_readings = new QCheckBox(QStringLiteral("読みを含める(&Y)"));
    m_readings->setObjectName(QStringLiteral("CheckBoxReadings"));
    m_readings->setToolTip(
        QStringLiteral("出力: 書名・著者名・出版社の読み（書名ヨミ、著者名ヨミ、出版社ヨミ）を"
                       "最後の 3 列に書きます。入力: 読みの列がある行はその読みを使います。"));
    m_formulaGuard = new QCheckBox(QStringLiteral("数式にしない(&G)"));
    m_formulaGuard->setObjectName(QStringLiteral("CheckBoxFormulaGuard"));
    m_formulaGuard->setToolTip(
        QStringLiteral("出力: = + - @ などで始まる項目の先頭に ' を付け、表計算ソフトが数式として"
                       "扱わないようにします。入力では取り除きます。"));
    m_dateFormat = new QComboBox;
    m_dateFormat->setObjectName(QStringLiteral("ComboBoxDateFormat"));
    m_dateFormat->addItems(
        {QStringLiteral("YY/MM/DD"), QStringLiteral("YY.MM.DD"), QStringLiteral("YYMMDD")});
    m_dateFormat->setToolTip(QStringLiteral("日付項目（初版日時、購入日時）の書式を選択します。"));
    auto* dateLabel = new QLabel(QStringLiteral("日付項目の書式(&F)"));
    dateLabel->setBuddy(m_dateFormat);
    m_encoding = new QComboBox;
    m_encoding->setObjectName(QStringLiteral("ComboBoxEncoding"));
    m_encoding->addItems({QStringLiteral("自動"), QStringLiteral("Shift-JIS"),
                          QStringLiteral("UTF-8"), QStringLiteral("UTF-16")});
    m_encoding->setToolTip(
        QStringLiteral("ファイルの文字コードを選択します。自動では、入力は内容から判定し、出力は "
                       "Shift-JIS です。"));
    auto* encodingLabel = new QLabel(QStringLiteral("文字コード(&J)"));
    encodingLabel->setBuddy(m_encoding);
    m_split = new QComboBox;
    m_split->setObjectName(QStringLiteral("ComboBoxSplit"));
    m_split->addItems({QStringLiteral("自動"), QStringLiteral("RFC 4180（表計算ソフト）"),
                       QStringLiteral("従来形式（空白で区切る）")});
    m_split->setToolTip(QStringLiteral("入力時、行を項目に分ける規則を選択します。"));
    auto* splitLabel = new QLabel(QStringLiteral("項目の区切り方(&R)"));
    splitLabel->setBuddy(m_split);
    m_separator = new QButtonGroup(this);
    QGroupBox* separator =
        radioGroup("RadioGroupSeparator", QStringLiteral("区切り文字(&P)"),
                   {QStringLiteral("カンマ(&M)"), QStringLiteral("セミコロン(&S)"),
                    QStringLiteral("タブ(&T)"), QStringLiteral("自動(&A)")},
                   m_separator,
                   QStringLiteral("各項目間の区切り文字を選択します。自動では、入力はファイルから"
                                  "判定し、出力はカンマです。"));
    m_columns = new QPushButton(QStringLiteral("列の対応(&L)..."));
    m_columns->setObjectName(QStringLiteral("ButtonColumns"));
    m_columns->setToolTip(
        QStringLiteral("入力: ファイルの最初の行を見て、各列を読み込む項目を選びます。"));
    m_columns->setAutoDefault(false);
    m_exec = new QPushButton(QStringLiteral("実行(&E)"));
    m_exec->setObjectName(QStringLiteral("ButtonExec"));
    m_exec->setToolTip(QStringLiteral("変換を実行します。"));
    m_exec->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("閉じる(&C)"));
    close->setObjectName(QStringLiteral("ButtonClose"));
    close->setToolTip(QStringLiteral("ダイアログを閉じます。"));
    close->setAutoDefault(false);

    auto* file = new QHBoxLayout;
    file->addWidget(m_fileName);
    file->addWidget(browse);
    auto* form = new QGridLayout;
    form->addWidget(fileLabel, 0, 0);
    form->addLayout(file, 1, 0, 1, 2);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_quote);
    checks->addWidget(m_header);
    checks->addWidget(m_readings);
    checks->addWidget(m_formulaGuard);
    checks->addStretch();
    form->addLayout(checks, 2, 0, 1, 2);
    form->addWidget(dateLabel, 3, 0);
    form->addWidget(m_dateFormat, 3, 1);
    form->addWidget(encodingLabel, 4, 0);
    form->addWidget(m_encoding, 4, 1);
    form->addWidget(splitLabel, 5, 0);
    form->addWidget(m_split, 5, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(procKind);
    top->addWidget(separator);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_columns);
    buttons->addStretch();
    buttons->addWidget(m_exec);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_procKind, &QButtonGroup::idClicked, this, [this] { refreshExec(); });
    connect(m_fileName, &QLineEdit::textChanged, this, [this] {
        m_host.csvSettings().columns.reset();  // the columns set were another file's
        refreshExec();
    });
    connect(m_columns, &QPushButton::clicked, this, &TFormIoCsv::ButtonColumnsClick);
    connect(browse, &QPushButton::clicked, this, &TFormIoCsv::ButtonFileBrowsClick);
    connect(m_exec, &QPushButton::clicked, this, &TFormIoCsv::ButtonExecClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { HelpViewer::instance().showContext(10); });
}

void TFormIoCsv::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormIoCsv::FormShow() {
    BusyCursor busy;
    CentreFormOver(m_mainWindow, this);
    const CsvSettings& settings = m_host.csvSettings();
    m_fileName->setText(settings.fileName);
    m_quote->setChecked(settings.quote);
    m_readings->setChecked(settings.readings);
    m_dateFormat->setCurrentIndex(settings.dateFormat);
    if (QAbstractButton* button =
            m_separator->button(settings.findSeparator ? kFoundSeparator : settings.separator))
        button->setChecked(true);
    m_formulaGuard->setChecked(settings.formulaGuard);
    m_encoding->setCurrentIndex(static_cast<int>(settings.encoding));
    m_split->setCurrentIndex(static_cast<int>(settings.split));
    m_header->setCheckState(settings.header == CsvHeader::Auto  ? Qt::PartiallyChecked
                            : settings.header == CsvHeader::Yes ? Qt::Checked
                                                                : Qt::Unchecked);
    // A catalogue shown for reading only takes no books; export still works.
    if (QAbstractButton* import = m_procKind->button(kImport)) {
        import->setEnabled(!m_store.readOnly());
        import->setToolTip(m_store.readOnly() ? m_store.readOnlyReason() : QString());
    }
    m_exec->setEnabled(false);
    m_columns->setEnabled(false);
    if (QAbstractButton* import = m_procKind->button(kImport);
        m_startWithImport && import->isEnabled()) {
        import->setChecked(true);
        refreshExec();
    }
}

void TFormIoCsv::refreshExec() {
    m_exec->setEnabled(!m_fileName->text().isEmpty() && m_procKind->checkedId() >= 0);
    m_columns->setEnabled(!m_fileName->text().isEmpty() && m_procKind->checkedId() == kImport);
}

void TFormIoCsv::copyToSettings() {
    CsvSettings& settings = m_host.csvSettings();
    settings.fileName = m_fileName->text();
    settings.quote = m_quote->isChecked();
    settings.readings = m_readings->isChecked();
    settings.dateFormat = m_dateFormat->currentIndex();
    settings.findSeparator = m_separator->checkedId() == kFoundSeparator;
    settings.separator = settings.findSeparator ? 0 : std::max(0, m_separator->checkedId());
    settings.formulaGuard = m_formulaGuard->isChecked();
    settings.encoding = static_cast<CsvEncoding>(std::max(0, m_encoding->currentIndex()));
    settings.split = static_cast<CsvSplit>(std::max(0, m_split->currentIndex()));
    const Qt::CheckState header = m_header->checkState();
    settings.header = header == Qt::PartiallyChecked ? CsvHeader::Auto
                      : header == Qt::Checked        ? CsvHeader::Yes
                                                     : CsvHeader::No;
    settings.writeHeader = header == Qt::Checked;
}

void TFormIoCsv::done(int result) {
    copyToSettings();
    QDialog::done(result);
}

void TFormIoCsv::ButtonFileBrowsClick() {
    const QString name =
        ChooseOpenFileName(this, QStringLiteral("入出力ファイル選択"), kFileFilter);
    if (name.isEmpty())
        return;
    m_fileName->setText(name);
    m_fileName->setFocus();
    m_fileName->selectAll();
}

void TFormIoCsv::takeRememberedColumns(CsvSettings& settings) {
    const QList<QStringList> first = csvPreview(settings, 1);
    if (first.isEmpty())
        return;
    const QString key = csvHeadingKey(first.first());
    if (const QString columns = m_host.rememberedCsvColumns(key); !columns.isEmpty())
        settings.rememberedColumns.insert(key, columns);
}

void TFormIoCsv::ButtonColumnsClick() {
    copyToSettings();
    CsvSettings& settings = m_host.csvSettings();
    const QList<QStringList> preview = csvPreview(settings, 8);
    if (preview.isEmpty()) {
        message(QStringLiteral("入力ファイル\n") + settings.fileName +
                    QStringLiteral("\nから読める行がありません。"),
                kMessageError);
        return;
    }
    takeRememberedColumns(settings);
    bool heading = false;
    const QList<CsvColumn> columns =
        settings.columns ? *settings.columns : csvColumnsOf(preview, settings, &heading);
    if (settings.columns)
        heading = settings.columnsHeading;
    QStringList labels = csvColumnLabels(settings.labels);
    labels << QString::fromUtf8(bookField(FieldNo::Memo).defaultLabel);
    CsvColumnsDialog dialog(preview, columns, heading, labels, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings.columns = dialog.columns();
    settings.columnsHeading = dialog.heading();
    // A heading's columns are remembered for the next file with that heading.
    if (dialog.heading()) {
        const QString key = csvHeadingKey(preview.first());
        const QString text = csvColumnsText(*settings.columns);
        settings.rememberedColumns.insert(key, text);
        m_host.rememberCsvColumns(key, text);
    }
}

void TFormIoCsv::message(const QString& text, int kind) {
    ShowMessageDialog(this, text, kind, kButtonsOk);
}

void TFormIoCsv::ButtonExecClick() {
    copyToSettings();
    const QString fileName = m_host.csvSettings().fileName;
    if (m_procKind->checkedId() == kImport && !m_store.readOnly())
        runImport(fileName);
    else if (m_procKind->checkedId() == kExport)
        runExport(fileName);
}

void TFormIoCsv::runImport(const QString& fileName) {
    if (!QFileInfo::exists(fileName)) {
        message(QStringLiteral("入力ファイル\n%1\nは存在しません。").arg(fileName), kMessageError);
        return;
    }
    CsvResult result;
    QString same;
    {
        BusyCursor busy;
        m_host.ShowStatusText(QStringLiteral("入力中です．．．"));
        const SameBooksBeforeImport before(m_store.Database().handle());
        takeRememberedColumns(m_host.csvSettings());
        result = ImportCsv(m_store, &m_host.csvSettings());
        same = before.note(&m_store.QueryBook());
    }
    const int books = result.books;
    // The books read are pending: they are stored by 更新適用, as the message says.
    const QString read =
        QStringLiteral("%1 冊を読み込みました（更新適用で保存されます）").arg(books) +
        (same.isEmpty() ? QString() : QStringLiteral("\n") + same + QStringLiteral("。"));
    const QString notes = importNotes(result, m_host.csvSettings());
    if (result.ok())
        message((books > 0 ? read : QStringLiteral("読み込む本はありませんでした。")) +
                    (notes.isEmpty() ? QString() : QStringLiteral("\n") + notes),
                kMessageInformation);
    else if (result.kind != CsvResult::Kind::LineRefused)
        message(QStringLiteral("CSV 入力に失敗しました。\n") + result.reason, kMessageError);
    else
        message(QStringLiteral("入力ファイル\n%1\nの %2 行目でｴﾗｰとなりました。\n"
                               "（エラー発生行より前の行のデータは登録されています）\n%3%4")
                    .arg(fileName, QString::number(result.line), result.reason,
                         books > 0 ? QStringLiteral("\n") + read : QString()),
                kMessageError);
    m_host.ShowStatusText(QString());
    // Books now pending would be added again by a second run (the natural retry
    // after mending the file), and an export here would leave them out: the
    // dialog closes, as the menu entry is off until they are applied or cancelled.
    if (m_store.QueryBook().updatesPending())
        accept();
}

void TFormIoCsv::runExport(const QString& fileName) {
    const QFileInfo file(fileName);
    if (isSameFile(fileName, m_store.Database().path())) {
        message(QStringLiteral("CSV 出力に失敗しました。\n") +
                    exportFailureReason(CsvResult::Kind::OntoCatalogue, fileName),
                kMessageError);
        return;
    }
    if (file.exists()) {
        if (!file.isWritable()) {
            message(QStringLiteral("出力ファイル\n%1\nは書き込み不可です。").arg(fileName),
                    kMessageError);
            return;
        }
        if (ShowMessageDialog(
                this, QStringLiteral("既にファイルが存在します。\n上書きしてもよろしいですか？"),
                kMessageConfirmation, kButtonsYesNo) != Answer::Yes)
            return;
    }
    CsvResult result;
    {
        BusyCursor busy;
        m_host.ShowStatusText(QStringLiteral("出力中です．．．"));
        result = ExportCsv(m_store, &m_host.csvSettings());
    }
    // A book Shift-JIS cannot write (é, 𠮷): nothing was written yet, and UTF-8
    // writes every character; asked, not decided.
    if (result.kind == CsvResult::Kind::Unencodable &&
        ShowMessageDialog(this, result.reason + QStringLiteral("\n\nUTF-8 で出力しますか？"),
                          kMessageConfirmation, kButtonsYesNo) == Answer::Yes) {
        m_host.csvSettings().encoding = CsvEncoding::Utf8;
        m_encoding->setCurrentIndex(static_cast<int>(CsvEncoding::Utf8));
        BusyCursor busy;
        result = ExportCsv(m_store, &m_host.csvSettings());
    }
    const QString guarded = formulaGuardNote(result.guardedFields);
    if (result.ok() && result.unsafeBooks > 0)
        message(unquotedExportWarning(result.unsafeBooks) + guarded, kMessageWarning);
    else if (result.ok())
        message(QStringLiteral("正常に出力完了しました。") + guarded, kMessageInformation);
    else
        message(QStringLiteral("CSV 出力に失敗しました。\n") + result.reason, kMessageError);
    m_host.ShowStatusText(QString());
}

}  // namespace quillo
