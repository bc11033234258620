#include "edit/reading_boxes.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>

#include "platform/kana_text.h"
#include "store/book_readings.h"
#include "store/book_record.h"
#include "ui/sjis_limit.h"

namespace quillo {

namespace {

// A reading is as long as the text it reads at most three times over (a kanji
// reads as up to three kana); the box allows that much in Shift-JIS.
constexpr int kReadingBytes = 255;

int indexOf(int field) {
    return field - FieldNo::Title;
}

}  // namespace

ReadingBoxes::ReadingBoxes(QWidget* dialog) : QObject(dialog) {
    static const char* const kNames[kCount] = {"EditTitleReading", "EditWriterReading",
                                               "EditPublisherReading"};
    static const char* const kLabels[kCount] = {"LabelTitleReading", "LabelWriterReading",
                                                "LabelPublisherReading"};
    for (int i = 0; i < kCount; ++i) {
        auto* box = new QLineEdit(dialog);
        box->setObjectName(QString::fromLatin1(kNames[i]));
        box->setToolTip(
            QStringLiteral("読みをカタカナで入力します。五十音順の並べ替えと、かな・ローマ字での検"
                           "索に使います。"));
        m_limits[static_cast<size_t>(i)] = new SjisLimitValidator(kReadingBytes, box);
        box->setValidator(m_limits[static_cast<size_t>(i)]);
        connect(box, &QLineEdit::textEdited, this, [this, i] {
            m_typed[static_cast<size_t>(i)] = true;
            markUncertain(i, false);
        });
        // The other readings the data know, one click away.
        QAction* offer = box->addAction(dialog->style()->standardIcon(QStyle::SP_ArrowDown),
                                        QLineEdit::TrailingPosition);
        offer->setObjectName(QString::fromLatin1(kNames[i]) + QStringLiteral("Candidates"));
        offer->setToolTip(QStringLiteral("読みの候補を表示します（Alt+↓）"));
        connect(offer, &QAction::triggered, this,
                [this, i] { offerCandidates(FieldNo::Title + i); });
        box->installEventFilter(this);
        auto* label = new QLabel(QStringLiteral("読み"), dialog);
        label->setObjectName(QString::fromLatin1(kLabels[i]));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(box);
        m_boxes[static_cast<size_t>(i)] = box;
        m_labels[static_cast<size_t>(i)] = label;
    }
}

QLineEdit* ReadingBoxes::box(int field) const {
    return m_boxes.at(static_cast<size_t>(indexOf(field)));
}

QLabel* ReadingBoxes::label(int field) const {
    return m_labels.at(static_cast<size_t>(indexOf(field)));
}

void ReadingBoxes::load(qint64 id, const std::array<QString, kCount>& texts) {
    m_texts = texts;
    for (int i = 0; i < kCount; ++i) {
        const int field = FieldNo::Title + i;
        BookReadings* kept = readings();
        const QString reading =
            kept ? kept->reading(id, field, texts[static_cast<size_t>(i)]) : QString();
        markUncertain(i, kept && id > 0 && kept->uncertain(id, field));
        QLineEdit* box = m_boxes[static_cast<size_t>(i)];
        m_limits[static_cast<size_t>(i)]->loaded(reading);
        box->setText(reading);
        box->setEnabled(kept != nullptr);
        m_typed[static_cast<size_t>(i)] = false;
    }
}

void ReadingBoxes::clear() {
    load(0, {});
}

void ReadingBoxes::fieldLeft(int field, const QString& text) {
    const int i = indexOf(field);
    BookReadings* kept = readings();
    if (i < 0 || i >= kCount || !kept)
        return;
    m_texts[static_cast<size_t>(i)] = text;
    if (m_typed[static_cast<size_t>(i)])
        return;
    const QString reading = kept->readingOf(text, field);
    m_limits[static_cast<size_t>(i)]->loaded(reading);
    m_boxes[static_cast<size_t>(i)]->setText(reading);
}

void ReadingBoxes::give(int field, const QString& text, const QString& reading) {
    const int i = indexOf(field);
    if (i < 0 || i >= kCount || !readings() || reading.isEmpty())
        return;
    m_texts[static_cast<size_t>(i)] = text;
    m_limits[static_cast<size_t>(i)]->loaded(reading);
    m_boxes[static_cast<size_t>(i)]->setText(reading);
    m_typed[static_cast<size_t>(i)] = true;
    markUncertain(i, false);
}

void ReadingBoxes::save(qint64 id, const std::array<QString, kCount>& texts) {
    BookReadings* kept = readings();
    if (!kept)
        return;
    for (int i = 0; i < kCount; ++i) {
        const QString& text = texts[static_cast<size_t>(i)];
        const QString reading = m_boxes[static_cast<size_t>(i)]->text().trimmed();
        // A reading typed for a field left empty, or cleared, has nothing to read.
        if (!m_typed[static_cast<size_t>(i)] || text.isEmpty() || reading.isEmpty())
            continue;
        // Typed in hiragana or half-width, it is kept in katakana as computed
        // readings are.
        kept->setReading(id, FieldNo::Title + i, katakanaReading(reading));
    }
}

void ReadingBoxes::markUncertain(int index, bool uncertain) {
    // A reading worth a look stands out until it is looked at.
    QLineEdit* box = m_boxes[static_cast<size_t>(index)];
    box->setProperty("uncertain", uncertain);
    QPalette palette = box->parentWidget()->palette();
    if (uncertain)
        palette.setColor(QPalette::Base, QColor(0xff, 0xf4, 0xc8));
    box->setPalette(palette);
    box->setToolTip(uncertain ? QStringLiteral("読みが確かではありません。▼ の候補から選ぶか、"
                                               "直してください。")
                              : QStringLiteral("読みをカタカナで入力します。五十音順の並べ替え"
                                               "と、かな・ローマ字での検索に使います。"));
}

void ReadingBoxes::offerCandidates(int field) {
    const int i = indexOf(field);
    BookReadings* kept = readings();
    if (i < 0 || i >= kCount || !kept)
        return;
    QLineEdit* box = m_boxes[static_cast<size_t>(i)];
    if (!m_menu) {
        m_menu = new QMenu(box->parentWidget());
        m_menu->setObjectName(QStringLiteral("MenuReadingCandidates"));
    }
    m_menu->clear();
    const QStringList offered = kept->candidates(m_texts[static_cast<size_t>(i)], field);
    for (const QString& reading : offered) {
        QAction* pick = m_menu->addAction(reading);
        connect(pick, &QAction::triggered, this, [this, i, reading] {
            QLineEdit* chosen = m_boxes[static_cast<size_t>(i)];
            m_limits[static_cast<size_t>(i)]->loaded(reading);
            chosen->setText(reading);
            m_typed[static_cast<size_t>(i)] = true;
            markUncertain(i, false);
        });
    }
    if (offered.isEmpty())
        m_menu->addAction(QStringLiteral("（候補はありません）"))->setEnabled(false);
    m_menu->popup(box->mapToGlobal(QPoint(0, box->height())));
}

bool ReadingBoxes::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Down && key->modifiers() & Qt::AltModifier) ||
            key->key() == Qt::Key_F4) {
            for (int i = 0; i < kCount; ++i)
                if (watched == m_boxes[static_cast<size_t>(i)]) {
                    offerCandidates(FieldNo::Title + i);
                    return true;
                }
        }
    }
    return QObject::eventFilter(watched, event);
}

bool ReadingBoxes::typedSinceShown() const {
    return std::any_of(m_typed.begin(), m_typed.end(), [](bool typed) { return typed; });
}

}  // namespace quillo
