#include "edit/isbn_scan_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "lookup/isbn.h"
#include "lookup/ndl_lookup.h"
#include "lookup/pending_book.h"
#include "store/tdm.h"

namespace quillo {

namespace {
constexpr int kIsbnRole = Qt::UserRole;       // the item's ISBN-13
constexpr int kRetryRole = Qt::UserRole + 1;  // found nothing: may be asked again
constexpr int kNetworkRetryMs = 5000;
}  // namespace

TFormIsbnScan::TFormIsbnScan(TDM& store, QWidget* owner)
    : QDialog(owner),
      m_store(store),
      m_lookup(new NdlLookup(this)),
      m_box(new QLineEdit(this)),
      m_list(new QListWidget(this)),
      m_summary(new QLabel(this)),
      m_retry(new QPushButton(QStringLiteral("もう一度調べる(&R)"), this)) {
    setObjectName(QStringLiteral("TFormIsbnScan"));
    setWindowTitle(QStringLiteral("ISBNで連続追加"));
    auto* hint =
        new QLabel(QStringLiteral("ISBN を入力して Enter（バーコードリーダーで読み取れます）。"
                                  "見つかった本は追加され、「更新適用」で保存されます。"),
                   this);
    hint->setWordWrap(true);
    auto* label = new QLabel(QStringLiteral("ISBN(&I)"), this);
    label->setBuddy(m_box);
    m_box->setObjectName(QStringLiteral("EditScan"));
    m_box->setMaxLength(24);
    m_list->setObjectName(QStringLiteral("ListScanned"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setMinimumSize(m_list->fontMetrics().horizontalAdvance(QString(40, QChar(0x3042))),
                           m_list->fontMetrics().lineSpacing() * 14);
    m_summary->setObjectName(QStringLiteral("LabelScanSummary"));
    m_retry->setObjectName(QStringLiteral("ButtonRetry"));
    m_retry->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("ButtonClose"));
    close->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_box, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(m_retry);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(row);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    m_pace.setSingleShot(true);
    connect(&m_pace, &QTimer::timeout, this, &TFormIsbnScan::next);
    connect(m_box, &QLineEdit::returnPressed, this, [this] {
        take(m_box->text());
        m_box->clear();
    });
    connect(m_retry, &QPushButton::clicked, this, &TFormIsbnScan::retryChosen);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_lookup, &NdlLookup::found, this, [this](const BookFromRecord& book) {
        const Entry entry = *m_asking;
        m_asking.reset();
        appendLookedUpBook(m_store, book);
        ++m_added;
        entry.item->setData(kRetryRole, false);
        say(entry.item, entry.isbn,
            QStringLiteral("「") + book.title + QStringLiteral("」") + notesOf(book), false);
        next();
    });
    connect(m_lookup, &NdlLookup::failed, this, [this](const QString&, const QString& message) {
        const Entry entry = *m_asking;
        m_asking.reset();
        if (m_lookup->networkAway()) {
            // Kept first in line, and asked again when the network may be back.
            m_queue.push_front(entry);
            say(entry.item, entry.isbn,
                message + QStringLiteral("（待っています。自動でもう一度問い合わせます）"), true);
            m_pace.start(kNetworkRetryMs);
            updateSummary();
            return;
        }
        entry.item->setData(kRetryRole, true);
        say(entry.item, entry.isbn, message, true);
        next();
    });
    m_box->setFocus();
    updateSummary();
}

bool TFormIsbnScan::idle() const {
    return m_queue.empty() && !m_asking;
}

void TFormIsbnScan::say(QListWidgetItem* item, const QString& isbn, const QString& text,
                        bool problem) {
    item->setText(hyphenatedIsbn(isbn) + QStringLiteral("  ") + text);
    item->setForeground(problem ? QColor(0xa0, 0x30, 0x00) : palette().text().color());
}

void TFormIsbnScan::take(const QString& typed) {
    if (typed.trimmed().isEmpty())
        return;
    auto* item = new QListWidgetItem(m_list);
    m_list->scrollToItem(item);
    const IsbnCheck check = checkIsbn(typed);
    if (!check.isbn13) {
        item->setText(typed.trimmed() + QStringLiteral("  ") + check.problem);
        item->setForeground(QColor(0xa0, 0x30, 0x00));
        updateSummary();
        return;
    }
    const QString isbn = *check.isbn13;
    item->setData(kIsbnRole, isbn);
    if (m_scanned.contains(isbn)) {
        say(item, isbn, QStringLiteral("読み取り済みです"), true);
    } else if (const qint64 other = m_store.isbns().bookWith(isbn, 0); other > 0) {
        say(item, isbn,
            QStringLiteral("この ISBN の本はすでにカタログにあります（ID ") +
                QString::number(other) + QStringLiteral("）"),
            true);
    } else {
        m_scanned << isbn;
        say(item, isbn, QStringLiteral("問い合わせ待ち"), false);
        m_queue.push_back({isbn, item});
        next();
    }
    updateSummary();
}

void TFormIsbnScan::retryChosen() {
    for (QListWidgetItem* item : m_list->selectedItems()) {
        if (!item->data(kRetryRole).toBool())
            continue;
        item->setData(kRetryRole, false);
        const QString isbn = item->data(kIsbnRole).toString();
        say(item, isbn, QStringLiteral("問い合わせ待ち"), false);
        m_queue.push_back({isbn, item});
    }
    next();
}

void TFormIsbnScan::next() {
    if (m_asking || m_queue.empty() || m_pace.isActive()) {
        updateSummary();
        return;
    }
    // A look-up a second at most, as the library asks.
    if (m_sinceLast.isValid() && m_sinceLast.elapsed() < m_spacing) {
        m_pace.start(static_cast<int>(m_spacing - m_sinceLast.elapsed()));
        return;
    }
    m_asking = m_queue.front();
    m_queue.pop_front();
    m_sinceLast.start();
    say(m_asking->item, m_asking->isbn, QStringLiteral("問い合わせています．．．"), false);
    m_lookup->lookUp(m_asking->isbn);
    updateSummary();
}

void TFormIsbnScan::updateSummary() {
    const int waiting = static_cast<int>(m_queue.size()) + (m_asking ? 1 : 0);
    m_summary->setText(QString::number(m_added) + QStringLiteral(" 冊を追加") +
                       (waiting > 0 ? QStringLiteral("、") + QString::number(waiting) +
                                          QStringLiteral(" 件を問い合わせ中")
                                    : QString()));
}

}  // namespace quillo
