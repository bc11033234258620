#include "app/welcome_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillo {

WelcomeView::WelcomeView(std::function<void()> addBook, std::function<void()> importCsv,
                         std::function<void()> importSample) {
    setObjectName(QStringLiteral("PanelWelcome"));
    auto* title = new QLabel(QStringLiteral("Quillo へようこそ"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    auto* text = new QLabel(QStringLiteral(
        "Quillo は手元の本の目録です。書名・著者名・出版社・発行日・購入日・メモなどを一冊ずつ"
        "記録し、読みの五十音順に並べ、かなやローマ字で探し、一覧を印刷できます。\n"
        "変更は「更新適用」でまとめて保存され、その前に自動でバックアップが作られます。\n\n"
        "まだ本が登録されていません。最初の本をどう入れるか選んでください。"));
    text->setWordWrap(true);
    text->setMaximumWidth(520);
    auto button = [](const char* name, const QString& caption, const QString& hint,
                     const std::function<void()>& act) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setMinimumHeight(32);
        QObject::connect(b, &QPushButton::clicked, b, [act] { act(); });
        return b;
    };
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button("ButtonWelcomeAdd", QStringLiteral("本を追加"),
                              QStringLiteral("レコード追加ダイアログで一冊目を入力します。"),
                              addBook));
    buttons->addWidget(button(
        "ButtonWelcomeCsv", QStringLiteral("CSVから読み込む"),
        QStringLiteral("表計算ソフトなどで作った CSV ファイルから読み込みます。"), importCsv));
    buttons->addWidget(button("ButtonWelcomeSample", QStringLiteral("サンプルを読み込む"),
                              QStringLiteral("50 冊のサンプルを読み込んで、使い方を試します。"),
                              importSample));
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(text, 0, Qt::AlignHCenter);
    layout->addSpacing(16);
    layout->addLayout(buttons);
    layout->addStretch(2);
    setAutoFillBackground(true);
}

}  // namespace quillo
