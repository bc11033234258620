#include "reading/reading_memo.h"

#include "platform/romaji.h"
#include "platform/search_fold.h"
#include "reading/order_key.h"

namespace quillo {

const QByteArray& MadeReading::orderKey(std::string_view fieldText) const {
    // A kept reading serves every book that has it; the key is made again for
    // a book whose text differs (rarely: a reading the user gave twice).
    if (!m_keyMade || m_keyText != fieldText) {
        m_key = readingOrderKey(
            QString::fromUtf8(fieldText.data(), static_cast<qsizetype>(fieldText.size())), text);
        m_keyText = fieldText;
        m_keyMade = true;
    }
    return m_key;
}

const QByteArray& MadeReading::searchedKana() const {
    makeForms();
    return m_kana;
}

const QByteArray& MadeReading::searchedRomaji() const {
    makeForms();
    return m_romaji;
}

void MadeReading::makeForms() const {
    if (m_formsMade)
        return;
    // The filter matches kana typed in any script and width, without the blank
    // between family and given name.
    QString folded = foldForSearch(text);
    folded.remove(u' ');
    folded.remove(u'\u3000');
    m_kana = folded.toUtf8();
    m_romaji = romajiMatchKey(hepburnRomaji(text)).toUtf8();
    m_formsMade = true;
}

ReadingMemo::ReadingMemo(const ReadingAnalyzer* analyzer, const LearnedNames* learned)
    : m_analyzer(analyzer), m_learned(learned) {}

const MadeReading& ReadingMemo::of(std::string_view utf8, ReadingKind kind) {
    Memo& memo = m_read[static_cast<int>(kind)];
    if (const auto found = memo.find(utf8); found != memo.end())
        return found->second;
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    MadeReading made;
    if (!text.trimmed().isEmpty()) {
        const Reading read = m_analyzer->read(text, kind, m_learned);
        made.text = read.text;
        made.uncertain = read.uncertain;
        made.utf8 = read.text.toUtf8();
    }
    return memo.emplace(std::string(utf8), std::move(made)).first->second;
}

const MadeReading& ReadingMemo::kept(std::string_view utf8) {
    if (utf8.data() == nullptr)
        return m_none;
    if (const auto found = m_kept.find(utf8); found != m_kept.end())
        return found->second;
    MadeReading made;
    made.text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    made.utf8 = QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size()));
    return m_kept.emplace(std::string(utf8), std::move(made)).first->second;
}

}  // namespace quillo
