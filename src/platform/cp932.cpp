#include "platform/cp932.h"

#include <QList>

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace quillo {

namespace {

const char* const kCodecName = "windows-31j";

QChar windowsForm(QChar c) {
    switch (c.unicode()) {
        case 0x301C:
            return QChar(0xFF5E);  // WAVE DASH -> FULLWIDTH TILDE
        case 0x2016:
            return QChar(0x2225);  // DOUBLE VERTICAL LINE -> PARALLEL TO
        case 0x2212:
            return QChar(0xFF0D);  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
        case 0x00A2:
            return QChar(0xFFE0);  // CENT SIGN
        case 0x00A3:
            return QChar(0xFFE1);  // POUND SIGN
        case 0x00AC:
            return QChar(0xFFE2);  // NOT SIGN
        case 0x2014:
            return QChar(0x2015);  // EM DASH -> HORIZONTAL BAR
        default:
            return c;
    }
}

QChar jisForm(QChar c) {
    switch (c.unicode()) {
        case 0xFF5E:
            return QChar(0x301C);
        case 0x2225:
            return QChar(0x2016);
        case 0xFF0D:
            return QChar(0x2212);
        case 0xFFE0:
            return QChar(0x00A2);
        case 0xFFE1:
            return QChar(0x00A3);
        case 0xFFE2:
            return QChar(0x00AC);
        case 0x2015:
            return QChar(0x2014);
        default:
            return c;
    }
}

// ICU's table for this code page rotates three control codes (0x1A, 0x1C and 0x7F
// map to U+001C, U+007F and U+001A). Windows maps them to themselves; so do we.
char16_t controlBeforeEncoding(char16_t u) {
    switch (u) {
        case 0x1A:
            return 0x1C;
        case 0x1C:
            return 0x7F;
        case 0x7F:
            return 0x1A;
        default:
            return u;
    }
}

char16_t controlAfterDecoding(char16_t u) {
    switch (u) {
        case 0x1C:
            return 0x1A;
        case 0x7F:
            return 0x1C;
        case 0x1A:
            return 0x7F;
        default:
            return u;
    }
}

}  // namespace

QString Cp932::toWindowsForms(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        c = windowsForm(c);
    return out;
}

namespace {

// Whether any character needs mapping before the encoder sees it; most texts
// need none and are then passed on without a copy.
bool needsPreparing(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0x1A || u == 0x1C || u == 0x7F || windowsForm(c) != c)
            return true;
    }
    return false;
}

}  // namespace

std::optional<QByteArray> Cp932::encode(const QString& text) {
    // The encoder's error flag is sticky, so each conversion gets its own.
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    if (!encoder.isValid())
        return std::nullopt;
    QByteArray bytes;
    if (needsPreparing(text)) {
        QString prepared = toWindowsForms(text);
        for (QChar& c : prepared)
            c = QChar(controlBeforeEncoding(c.unicode()));
        bytes = encoder.encode(prepared);
    } else {
        bytes = encoder.encode(text);
    }
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

std::optional<QString> Cp932::decode(QByteArrayView bytes) {
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    // Bytes that are not CP932 come out as SUB characters with the error flag set.
    if (decoder.hasError())
        return std::nullopt;
    const bool controls = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() == 0x1A || c.unicode() == 0x1C || c.unicode() == 0x7F;
    });
    if (controls) {
        for (QChar& c : text)
            c = QChar(controlAfterDecoding(c.unicode()));
    }
    // The seven codes CP932 reads as its own forms (～ for 0x8160) read as the
    // characters Japanese text means by them and Quillo writes to them (〜),
    // so a book written in Shift-JIS comes back as it was; both forms are
    // written alike, and found alike.
    for (QChar& c : text)
        c = jisForm(c);
    return text;
}

qsizetype Cp932::firstUnencodable(const QString& text) {
    if (canEncode(text))
        return -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        if (!canEncode(text.mid(i, len)))
            return i;
        i += len - 1;
    }
    return -1;
}

QString Cp932::nameCharacter(const QString& character) {
    const QString code = QString::number(character.toUcs4().value(0), 16).toUpper();
    return QStringLiteral("「%1」(U+%2)").arg(character, code.rightJustified(4, QLatin1Char('0')));
}

QString Cp932::nameFirstUnencodable(const QString& text) {
    const qsizetype at = firstUnencodable(text);
    if (at < 0)
        return QString();
    return nameCharacter(text.mid(at, text.at(at).isHighSurrogate() ? 2 : 1));
}

qsizetype Cp932::byteLength(const QString& text) {
    qsizetype n = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        // A character beyond the BMP (𠮷) is two units, and counted as one
        // wide character.
        if (c.isLowSurrogate())
            continue;
        n += (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F)) ? 1 : 2;
    }
    return n;
}

QString Cp932::cutToBytes(const QString& text, qsizetype maxBytes) {
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (text[i].isLowSurrogate())
            continue;
        bytes += (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F)) ? 1 : 2;
        if (bytes > maxBytes)
            return text.left(i > 0 && text[i].isLowSurrogate() ? i - 1 : i);
    }
    return text;
}

}  // namespace quillo
