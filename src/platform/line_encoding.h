#pragma once

#include <QByteArrayView>
#include <memory>

namespace quillo {

// Which of UTF-8 and Shift-JIS a line of a text file is written in, as far as
// the line itself tells.
enum class LineEncoding {
    Either,    // ASCII, or bytes that read as both without telling which
    Utf8,      // reads well only as UTF-8
    ShiftJis,  // reads well only as Shift-JIS
    Neither,   // valid in neither (the decoder names the fault)
};

// Judges lines one at a time. A line valid in one encoding only is that one's.
// A line valid in both is judged by ICU's charset detector, which knows
// UTF-8's sequences and Shift-JIS's most frequent characters, and by what each
// reading would put in the catalogue: UTF-8 read as Shift-JIS gives half-width
// katakana in the middle of kanji (東京 becomes 譚ｱ莠ｬ), while half-width
// katakana read as UTF-8 give Greek, Cyrillic or Arabic letters (ﾎｼ becomes
// μ), never the kana, kanji or Latin letters of a Japanese shelf. A line that
// neither tells (蟲師, ﾎｼ, café) is Either: the rest of its file decides.
class LineEncodingJudge {
public:
    LineEncodingJudge();
    ~LineEncodingJudge();
    LineEncodingJudge(const LineEncodingJudge&) = delete;
    LineEncodingJudge& operator=(const LineEncodingJudge&) = delete;

    LineEncoding judge(QByteArrayView line) const;
    // Whether a line's UTF-8 reading holds letters of the scripts a Japanese
    // shelf is written in (kana, kanji, Latin letters beyond ASCII) and none of
    // those half-width katakana become: for a file no line decides.
    static bool readsAsShelfUtf8(QByteArrayView line);

private:
    struct Detector;
    std::unique_ptr<Detector> m_detector;
};

// Whether bytes are shaped as Shift-JIS: single bytes of ASCII or half-width
// katakana, and lead bytes each followed by a trail byte. Which codes are
// assigned is left to the decoder, which refuses the others by their line.
bool shapedAsCp932(QByteArrayView bytes);

}  // namespace quillo
