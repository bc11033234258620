#include "widgets/about_box.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "platform/busy_cursor.h"
#include "platform/help_viewer.h"
#include "ui/message_dialog.h"
#include "ui/shown_at_once.h"

namespace quillo {

TFormAbout::TFormAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_owner(owner) {
    setObjectName(QStringLiteral("TFormAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    auto* image = new QLabel;
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(QIcon(QStringLiteral(":/icons/quillo.svg")).pixmap(64, 64));

    auto* name = new QLabel(QStringLiteral("Quillo"));
    name->setObjectName(QStringLiteral("LabelSoftName"));
    QFont mincho(QStringLiteral("ＭＳ Ｐ明朝"));
    mincho.setPixelSize(29);
    mincho.setBold(true);
    name->setFont(mincho);
    auto* version = new QLabel(QStringLiteral("version ") + kVersionText);
    version->setObjectName(QStringLiteral("Label2"));
    auto* english = new QLabel(QStringLiteral("Quillo Book Catalogue version ") + kVersionText);
    english->setObjectName(QStringLiteral("LabelVersion"));
    english->setAlignment(Qt::AlignRight);
    auto* notice =
        new QLabel(QStringLiteral("© Quillo 開発者　無断複製・転載を禁じます。\n"
                                  "本を集める人のための蔵書目録です。"));

    // The data the readings come from, credited as their licences ask.
    auto* credits = new QLabel(QStringLiteral(
        "読みの辞書: MeCab と IPA 辞書、JMnedict と KANJIDIC（© Electronic Dictionary "
        "Research and Development Group、同グループのライセンスにより使用）、SKK 辞書"
        "（GPL-2+）。書誌データ・書影: 国立国会図書館サーチ"));
    credits->setObjectName(QStringLiteral("LabelCredits"));
    credits->setWordWrap(true);
    QFont small = credits->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    credits->setFont(small);

    m_ok = new QPushButton(QStringLiteral("&OK"));
    m_ok->setObjectName(QStringLiteral("ButtonOK"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* title = new QHBoxLayout;
    title->addWidget(name);
    title->addWidget(version, 0, Qt::AlignBottom);
    title->addStretch();
    auto* text = new QVBoxLayout;
    text->addLayout(title);
    text->addWidget(english);
    text->addWidget(notice);
    text->addWidget(credits);
    // The one link leads to the help installed with the program: no address
    // that may lead nowhere.
    text->addWidget(link(QStringLiteral("EditURL"), 1, QStringLiteral("Quillo ヘルプ")));
    auto* body = new QHBoxLayout;
    body->addWidget(image, 0, Qt::AlignTop);
    body->addLayout(text);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(m_ok, 0, Qt::AlignRight);
}

QLineEdit* TFormAbout::link(const QString& name, int tag, const QString& text) {
    auto* field = new QLineEdit(text);
    field->setObjectName(name);
    field->setProperty("tag", tag);
    field->setReadOnly(true);
    field->setFrame(false);
    field->setCursor(Qt::PointingHandCursor);
    QFont font = field->font();
    font.setBold(true);
    font.setUnderline(true);
    field->setFont(font);
    field->setStyleSheet(QStringLiteral("color: blue; background: transparent;"));
    field->installEventFilter(this);
    return field;
}

void TFormAbout::EditINetClick(QLineEdit* field) {
    if (isSplash())
        return;
    field->setStyleSheet(QStringLiteral("color: palette(button); background: transparent;"));
    HelpViewer::instance().showContents();
    field->setStyleSheet(QStringLiteral("color: blue; background: transparent;"));
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease ||
        event->type() == QEvent::MouseButtonDblClick) {
        if (auto* field = qobject_cast<QLineEdit*>(watched)) {
            EditINetClick(field);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormAbout::showEvent(QShowEvent* event) {
    BusyCursor busy;
    QDialog::showEvent(event);
    CentreFormOver(m_owner, this);
}

void TFormAbout::showSplash() {
    setWindowTitle(QStringLiteral("Quillo ") + kVersionText);
    m_ok->hide();
    setModal(false);
    // Painted while the catalogue opens, never a black box.
    showAndPaintAtOnce(this);
}

void TFormAbout::endSplash() {
    hide();
    close();
    setWindowTitle(QStringLiteral("バージョン情報"));
    m_ok->show();
}

}  // namespace quillo
