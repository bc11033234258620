#include "reading/number_reading.h"

namespace quillo {

namespace {

const char16_t* const kDigits[] = {u"ゼロ", u"イチ", u"ニ",   u"サン", u"ヨン",
                                   u"ゴ",   u"ロク", u"ナナ", u"ハチ", u"キュウ"};

// 1 to 9999, as the group before 万, 億 or 兆 reads it.
QString belowTenThousand(int n) {
    QString out;
    const int thousands = n / 1000, hundreds = n / 100 % 10, tens = n / 10 % 10, ones = n % 10;
    if (thousands > 0) {
        static const char16_t* const sen[] = {u"",         u"セン",      u"ニセン",   u"サンゼン",
                                              u"ヨンセン", u"ゴセン",    u"ロクセン", u"ナナセン",
                                              u"ハッセン", u"キュウセン"};
        out += QString::fromUtf16(sen[thousands]);
    }
    if (hundreds > 0) {
        static const char16_t* const hyaku[] = {
            u"",         u"ヒャク",     u"ニヒャク",   u"サンビャク", u"ヨンヒャク",
            u"ゴヒャク", u"ロッピャク", u"ナナヒャク", u"ハッピャク", u"キュウヒャク"};
        out += QString::fromUtf16(hyaku[hundreds]);
    }
    if (tens > 0)
        out +=
            (tens == 1 ? QString() : QString::fromUtf16(kDigits[tens])) + QStringLiteral("ジュウ");
    if (ones > 0)
        out += QString::fromUtf16(kDigits[ones]);
    return out;
}

}  // namespace

QString numberReading(const QString& digits) {
    QString plain;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            plain += c;
        else if (u >= 0xFF10 && u <= 0xFF19)
            plain += QChar(u'0' + (u - 0xFF10));
        else
            return QString();
    }
    if (plain.isEmpty())
        return QString();
    if (plain.size() > 16 || (plain.size() > 1 && plain.front() == u'0')) {
        QString out;
        for (const QChar c : plain)
            out += QString::fromUtf16(kDigits[c.unicode() - u'0']);
        return out;
    }
    qint64 n = plain.toLongLong();
    if (n == 0)
        return QStringLiteral("ゼロ");
    static const char16_t* const units[] = {u"", u"マン", u"オク", u"チョウ"};
    QString out;
    for (int group = 3; group >= 0; --group) {
        qint64 scale = 1;
        for (int i = 0; i < group; ++i)
            scale *= 10000;
        const int part = static_cast<int>(n / scale % 10000);
        if (part > 0)
            out += belowTenThousand(part) + QString::fromUtf16(units[group]);
    }
    return out;
}

}  // namespace quillo
