#include "lookup/isbn.h"

#include <QStringList>
#include <array>

namespace quillo {

namespace {

int digitValue(QChar c) {
    // Full-width digits count as digits: a Japanese input method types them.
    if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
        return c.unicode() - 0xFF10;
    return c.unicode() >= u'0' && c.unicode() <= u'9' ? c.unicode() - u'0' : -1;
}

QChar checkDigit13(const QString& twelve) {
    int sum = 0;
    for (qsizetype i = 0; i < 12; ++i)
        sum += (twelve[i].unicode() - u'0') * (i % 2 ? 3 : 1);
    return QChar(u'0' + (10 - sum % 10) % 10);
}

QChar checkDigit10(const QString& nine) {
    int sum = 0;
    for (qsizetype i = 0; i < 9; ++i)
        sum += (nine[i].unicode() - u'0') * (10 - static_cast<int>(i));
    const int check = (11 - sum % 11) % 11;
    return check == 10 ? QChar(u'X') : QChar(u'0' + check);
}

// How long the registrant part is, by where its first seven digits fall, for
// a group whose ranges are those of Japan (4) and the English group 0.
int registrantLength(const QString& rest) {
    const int seven = rest.left(7).toInt();
    struct Range {
        int below;
        int length;
    };
    static constexpr std::array<Range, 6> ranges{
        {{2000000, 2}, {7000000, 3}, {8500000, 4}, {9000000, 5}, {9500000, 6}, {10000000, 7}}};
    for (const Range& r : ranges)
        if (seven < r.below)
            return r.length;
    return 7;
}

}  // namespace

IsbnCheck checkIsbn(const QString& typed) {
    QString digits;
    for (const QChar c : typed) {
        const int d = digitValue(c);
        if (d >= 0)
            digits += QChar(u'0' + d);
        else if (c == u'X' || c == u'x' || c == QChar(0xFF38) || c == QChar(0xFF58))
            digits += QChar(u'X');
        else if (c != u'-' && c != u' ' && c != QChar(0x3000) && c != QChar(0x2010) &&
                 c != QChar(0x2212) && c != QChar(0xFF0D))
            return {std::nullopt, QStringLiteral("ISBN に使えない文字「") + QString(c) +
                                      QStringLiteral("」があります")};
    }
    const qsizetype x = digits.indexOf(u'X');
    if (digits.size() == 10 && (x < 0 || x == 9)) {
        if (checkDigit10(digits.left(9)) != digits[9])
            return {std::nullopt,
                    QStringLiteral("ISBN の最後の数字（チェックディジット）が合いません（") +
                        digits + QStringLiteral("）")};
        const QString twelve = QStringLiteral("978") + digits.left(9);
        return {twelve + checkDigit13(twelve), {}};
    }
    if (digits.size() == 13 && x < 0) {
        if (!digits.startsWith(QLatin1String("978")) && !digits.startsWith(QLatin1String("979")))
            return {std::nullopt, QStringLiteral("13 桁の ISBN は 978 か 979 で始まります（") +
                                      digits + QStringLiteral("）")};
        if (checkDigit13(digits.left(12)) != digits[12])
            return {std::nullopt,
                    QStringLiteral("ISBN の最後の数字（チェックディジット）が合いません（") +
                        digits + QStringLiteral("）")};
        return {digits, {}};
    }
    if (digits.isEmpty())
        return {std::nullopt, QStringLiteral("ISBN が入力されていません")};
    return {std::nullopt, QStringLiteral("ISBN は 10 桁か 13 桁です（") +
                              QString::number(digits.size()) + QStringLiteral(" 桁）")};
}

QString hyphenatedIsbn(const QString& isbn13) {
    if (isbn13.size() != 13)
        return isbn13;
    const QString prefix = isbn13.left(3);
    const QChar group = isbn13[3];
    if (prefix == QLatin1String("978") && (group == u'4' || group == u'0')) {
        const QString rest = isbn13.mid(4, 8);
        const int length = registrantLength(rest);
        return QStringList{prefix, QString(group), rest.left(length), rest.mid(length),
                           isbn13.right(1)}
            .join(u'-');
    }
    return prefix + u'-' + isbn13.mid(3, 9) + u'-' + isbn13.right(1);
}

QString isbn10Of(const QString& isbn13) {
    if (isbn13.size() != 13 || !isbn13.startsWith(QLatin1String("978")))
        return {};
    const QString nine = isbn13.mid(3, 9);
    return nine + checkDigit10(nine);
}

}  // namespace quillo
