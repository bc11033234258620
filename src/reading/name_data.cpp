#include "reading/name_data.h"

#include "platform/kana_text.h"
#include "platform/romaji.h"

namespace quillo {

namespace {

bool hasKanji(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || u == 0x3005 ||
            (u >= 0xF900 && u <= 0xFAFF) || c.isSurrogate())
            return true;
    }
    return false;
}

// A reading the data give in kana, as katakana; empty when it holds anything
// else (a note, a Latin letter).
QString kanaReading(const QString& reading) {
    if (reading.isEmpty() || !isKanaText(reading))
        return QString();
    QString katakana = katakanaReading(reading);
    katakana.remove(u' ');
    return katakana;
}

// Where the family name ends in a full name's reading, told by its romaji
// ("Higashino Keigo"): the prefix whose romaji is the first word.
int familyLengthFromRomaji(const QString& reading, const QString& romaji) {
    const qsizetype blank = romaji.indexOf(u' ');
    if (blank <= 0)
        return -1;
    const QString family = romajiMatchKey(romaji.left(blank));
    for (qsizetype k = 1; k < reading.size(); ++k) {
        if (romajiMatchKey(hepburnRomaji(reading.left(k))) == family &&
            romajiMatchKey(hepburnRomaji(reading.left(k + 1))) != family)
            return static_cast<int>(k);
    }
    return -1;
}

unsigned jmnedictKinds(const QString& tags) {
    unsigned kinds = 0;
    for (const QString& tag : tags.split(u',')) {
        if (tag == u"s")
            kinds |= kFamilyName;
        else if (tag == u"g" || tag == u"f" || tag == u"m")
            kinds |= kGivenName;
        else if (tag == u"u")
            kinds |= kFamilyName | kGivenName;
        else if (tag == u"h")
            kinds |= kPersonName;
        else if (tag == u"c" || tag == u"o")
            kinds |= kOrganisationName;
    }
    return kinds;
}

}  // namespace

void readJmnedictLine(const QString& line, const std::function<void(NameEntry)>& add) {
    // 東野圭吾 [ひがしのけいご] /(h) Higashino Keigo (1958.2.4-)/
    const qsizetype open = line.indexOf(u'[');
    const qsizetype close = line.indexOf(u']', open + 1);
    const qsizetype senses = line.indexOf(u'/', close + 1);
    if (open <= 0 || close < 0 || senses < 0)
        return;
    const QString text = line.left(open).trimmed();
    const QString reading = kanaReading(line.mid(open + 1, close - open - 1));
    if (!hasKanji(text) || reading.isEmpty())
        return;
    int rank = 0;
    for (const QString& sense : line.mid(senses + 1).split(u'/', Qt::SkipEmptyParts)) {
        if (!sense.startsWith(u'('))
            continue;
        const qsizetype end = sense.indexOf(u')');
        const unsigned kinds = jmnedictKinds(sense.mid(1, end - 1));
        if (kinds == 0)
            continue;
        NameEntry entry{text, reading, kinds, -1, NameSource::JMnedict, rank++};
        if (kinds & kPersonName)
            entry.familyLength = familyLengthFromRomaji(reading, sense.mid(end + 1).trimmed());
        add(std::move(entry));
    }
}

void readSkkLine(const QString& line, bool fullNames, const std::function<void(NameEntry)>& add) {
    // ひがしのけいご /東野圭吾;フルネーム,作家/   あがつま /我妻;人名/上妻;姓/
    if (line.startsWith(u';'))
        return;
    const qsizetype blank = line.indexOf(QStringLiteral(" /"));
    if (blank <= 0)
        return;
    const QString reading = kanaReading(line.left(blank));
    if (reading.isEmpty())
        return;  // an entry with okurigana, or not in kana
    int rank = 0;
    for (const QString& candidate : line.mid(blank + 2).split(u'/', Qt::SkipEmptyParts)) {
        const qsizetype semicolon = candidate.indexOf(u';');
        const QString text = candidate.left(semicolon);
        const QString note = semicolon < 0 ? QString() : candidate.mid(semicolon + 1);
        const int place = rank++;
        if (!hasKanji(text) || text.contains(u'('))
            continue;
        unsigned kinds = kPersonName;
        if (!fullNames) {
            kinds = 0;
            if (note.contains(u'姓'))
                kinds |= kFamilyName;
            if (note.contains(QStringLiteral("人名")))
                kinds |= kFamilyName | kGivenName;
            else if (note.contains(u'名'))
                kinds |= kGivenName;
            if (kinds == 0)
                continue;  // a place, or nothing said
        }
        add(NameEntry{text, reading, kinds, -1, NameSource::Skk, place});
    }
}

void readKanjidicLine(const QString& line, const std::function<void(KanjiReading)>& add) {
    // 亜 3021 U4e9c B1 ... ア つ.ぐ T1 や つぐ {Asia}
    if (line.startsWith(u'#') || line.isEmpty())
        return;
    const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
    if (fields.size() < 3 || !hasKanji(fields[0]))
        return;
    KanjiReadingKind kun = kKunReading;
    int rank = 0;
    for (qsizetype i = 2; i < fields.size(); ++i) {
        QString field = fields[i];
        if (field.startsWith(u'{'))
            break;
        if (field == u"T1") {
            kun = kNameReading;  // what follows are readings used in names
            continue;
        }
        if (field == u"T2")
            break;
        if (field.startsWith(u'-') || field.endsWith(u'-'))
            continue;                       // a prefix or a suffix reading
        field = field.section(u'.', 0, 0);  // the stem, without its okurigana
        const bool katakana = !field.isEmpty() && field[0].unicode() >= 0x30A0;
        const QString reading = kanaReading(field);
        if (reading.isEmpty())
            continue;
        add(KanjiReading{fields[0], reading, katakana ? kOnReading : kun, rank++});
    }
}

}  // namespace quillo
