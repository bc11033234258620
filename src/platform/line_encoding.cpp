#include "platform/line_encoding.h"

#include <unicode/ucsdet.h>
#include <unicode/uenum.h>
#include <QList>
#include <QString>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/utf8_text.h"

namespace quillo {

namespace {

constexpr char kUtf8Name[] = "UTF-8";
constexpr char kShiftJisName[] = "Shift_JIS";
// ICU's UTF-8 recogniser is sure (100) when more than three multi-byte
// sequences are valid and none is broken; fewer give 80.
constexpr int kSure = 100;

bool isAscii(QByteArrayView bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool isHalfWidthKatakana(char32_t c) {
    return c >= 0xFF61 && c <= 0xFF9F;
}

// Kanji, kana, and the full-width forms and signs of Japanese text.
bool isFullWidth(char32_t c) {
    return c >= 0x3000 && !isHalfWidthKatakana(c) && !(c >= 0xFFA0 && c <= 0xFFEF);
}

// UTF-8's continuation bytes read as Shift-JIS: half-width katakana standing
// right beside a kanji or a full-width kana.
bool halfWidthAmongFullWidth(const QString& text) {
    char32_t before = 0;
    for (const uint c : text.toUcs4()) {
        if ((isHalfWidthKatakana(c) && isFullWidth(before)) ||
            (isFullWidth(c) && isHalfWidthKatakana(before)))
            return true;
        before = c;
    }
    return false;
}

}  // namespace

bool shapedAsCp932(QByteArrayView bytes) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80 || (c >= 0xA1 && c <= 0xDF))
            continue;
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (!lead || i + 1 >= bytes.size())
            return false;
        const auto t = static_cast<unsigned char>(bytes[++i]);
        if (t < 0x40 || t == 0x7F || t > 0xFC)
            return false;
    }
    return true;
}

// ICU's detector, asked about UTF-8 and Shift-JIS only.
struct LineEncodingJudge::Detector {
    UCharsetDetector* detector = nullptr;

    Detector() {
        UErrorCode status = U_ZERO_ERROR;
        detector = ucsdet_open(&status);
        if (U_FAILURE(status)) {
            detector = nullptr;
            return;
        }
        // The names are taken first: enabling or disabling one ends the listing.
        std::vector<std::string> names;
        UEnumeration* all = ucsdet_getAllDetectableCharsets(detector, &status);
        int32_t length = 0;
        while (const char* name = U_SUCCESS(status) ? uenum_next(all, &length, &status) : nullptr)
            names.emplace_back(name);
        uenum_close(all);
        for (const std::string& name : names) {
            UErrorCode set = U_ZERO_ERROR;
            ucsdet_setDetectableCharset(detector, name.c_str(),
                                        name == kUtf8Name || name == kShiftJisName, &set);
        }
    }
    ~Detector() { ucsdet_close(detector); }

    // ICU's confidence (0 to 100) in each reading of the bytes.
    std::pair<int, int> confidences(QByteArrayView bytes) const {
        int utf8 = 0, shiftJis = 0;
        UErrorCode status = U_ZERO_ERROR;
        if (!detector)
            return {utf8, shiftJis};
        ucsdet_setText(detector, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
        int32_t found = 0;
        const UCharsetMatch** matches = ucsdet_detectAll(detector, &found, &status);
        for (int32_t i = 0; U_SUCCESS(status) && i < found; ++i) {
            const std::string name = ucsdet_getName(matches[i], &status);
            const int confidence = ucsdet_getConfidence(matches[i], &status);
            if (name == kUtf8Name)
                utf8 = confidence;
            else if (name == kShiftJisName)
                shiftJis = confidence;
        }
        return {utf8, shiftJis};
    }
};

LineEncodingJudge::LineEncodingJudge() : m_detector(std::make_unique<Detector>()) {}

LineEncodingJudge::~LineEncodingJudge() = default;

bool LineEncodingJudge::readsAsShelfUtf8(QByteArrayView line) {
    const std::optional<QString> text = decodeUtf8Strict(line);
    if (!text)
        return false;
    bool shelf = false;
    for (const uint c : text->toUcs4()) {
        if (c < 0x80)
            continue;
        switch (QChar::script(c)) {
            case QChar::Script_Han:
            case QChar::Script_Hiragana:
            case QChar::Script_Katakana:
            case QChar::Script_Latin:
                shelf = true;
                break;
            case QChar::Script_Common:
            case QChar::Script_Inherited:
                break;
            default:
                return false;
        }
    }
    return shelf;
}

LineEncoding LineEncodingJudge::judge(QByteArrayView line) const {
    const bool utf8 = isValidUtf8(line);
    const bool shiftJis = shapedAsCp932(line);
    if (utf8 != shiftJis)
        return utf8 ? LineEncoding::Utf8 : LineEncoding::ShiftJis;
    if (!utf8)
        return LineEncoding::Neither;
    if (isAscii(line))
        return LineEncoding::Either;
    // Read as UTF-8, half-width katakana become Greek, Cyrillic or Arabic
    // letters: such a line tells nothing, and its file decides.
    if (!readsAsShelfUtf8(line))
        return LineEncoding::Either;
    // Kanji broken up by half-width katakana is UTF-8 read as Shift-JIS: the
    // line tells without asking ICU.
    const std::optional<QString> asShiftJis = Cp932::decode(line);
    if (asShiftJis && halfWidthAmongFullWidth(*asShiftJis))
        return LineEncoding::Utf8;
    const auto [utf8Confidence, shiftJisConfidence] = m_detector->confidences(line);
    // Real Shift-JIS text long enough for its frequent characters to show.
    if (shiftJisConfidence > utf8Confidence)
        return LineEncoding::ShiftJis;
    return utf8Confidence >= kSure ? LineEncoding::Utf8 : LineEncoding::Either;
}

}  // namespace quillo
