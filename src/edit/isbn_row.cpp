#include "edit/isbn_row.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "lookup/isbn.h"
#include "lookup/ndl_lookup.h"

namespace quillo {

namespace {
const QString kLookUpCaption = QStringLiteral("NDLで調べる(&L)");
}

IsbnRow::IsbnRow(QWidget* parent)
    : QWidget(parent),
      m_box(new QLineEdit(this)),
      m_button(new QPushButton(kLookUpCaption, this)),
      m_status(new QLabel(this)),
      m_lookup(new NdlLookup(this)) {
    m_box->setObjectName(QStringLiteral("EditIsbn"));
    m_box->setToolTip(
        QStringLiteral("ISBN（10 桁か 13 桁、ハイフンはあってもなくても）。"
                       "バーコードリーダーでも入力できます。"));
    m_box->setMaxLength(24);
    m_box->setMinimumWidth(
        m_box->fontMetrics().horizontalAdvance(QStringLiteral("978-4-000-00000-0")) + 16);
    m_button->setObjectName(QStringLiteral("ButtonLookUp"));
    m_button->setAutoDefault(false);
    m_button->setToolTip(
        QStringLiteral("国立国会図書館の記録から書名・著者名・出版社・発行日と"
                       "その読みを入れます。"));
    m_status->setObjectName(QStringLiteral("LabelLookUp"));
    m_status->setTextFormat(Qt::PlainText);
    // A long message never widens the dialog: it wraps in the room it has.
    m_status->setWordWrap(true);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* label = new QLabel(QStringLiteral("ISBN(&I)"), this);
    label->setBuddy(m_box);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(label);
    row->addWidget(m_box);
    row->addWidget(m_button);
    row->addWidget(m_status, 1);
    connect(m_button, &QPushButton::clicked, this, [this] { busy() ? cancel() : lookUp(); });
    connect(m_box, &QLineEdit::editingFinished, this, [this] { typed(); });
    connect(m_lookup, &NdlLookup::found, this, [this](const BookFromRecord& book) {
        m_button->setText(kLookUpCaption);
        // What was cut to fit, or a cover refused, is said with it.
        say(QStringLiteral("国立国会図書館の記録から入れました: ") + book.title + notesOf(book),
            !book.notes.isEmpty());
        emit found(book);
    });
    connect(m_lookup, &NdlLookup::failed, this, [this](const QString&, const QString& message) {
        m_button->setText(kLookUpCaption);
        say(message, true);
    });
}

void IsbnRow::say(const QString& text, bool problem) {
    m_status->setStyleSheet(problem ? QStringLiteral("color: #a03000") : QString());
    m_status->setText(text);
    m_status->setToolTip(text);
}

void IsbnRow::show(const QString& isbn13) {
    cancel();
    m_shown = isbn13.isEmpty() ? QString() : hyphenatedIsbn(isbn13);
    m_box->setText(m_shown);
    say({}, false);
}

std::optional<QString> IsbnRow::typed() {
    if (m_box->text().trimmed().isEmpty())
        return QString();
    const IsbnCheck check = checkIsbn(m_box->text());
    if (!check.isbn13) {
        say(check.problem, true);
        return std::nullopt;
    }
    m_box->setText(hyphenatedIsbn(*check.isbn13));
    if (!busy())
        say({}, false);
    return check.isbn13;
}

bool IsbnRow::changedSinceShown() const {
    return m_box->text() != m_shown;
}

void IsbnRow::lookUp() {
    const std::optional<QString> isbn = typed();
    if (!isbn)
        return;
    if (isbn->isEmpty()) {
        say(QStringLiteral("調べる ISBN を入力してください"), true);
        m_box->setFocus();
        return;
    }
    m_lookup->lookUp(*isbn);
    m_button->setText(QStringLiteral("中止(&L)"));
    say(QStringLiteral("国立国会図書館に問い合わせています．．．"), false);
}

bool IsbnRow::busy() const {
    return m_lookup->busy();
}

void IsbnRow::cancel() {
    if (!busy())
        return;
    m_lookup->cancel();
    m_button->setText(kLookUpCaption);
    say(QStringLiteral("問い合わせを中止しました"), false);
}

}  // namespace quillo
