#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace quillo {

// What a name entry says its text is: a family name, a given name, one
// person's full name, a company or an organisation. An entry may be several.
enum NameKind : unsigned {
    kFamilyName = 1,
    kGivenName = 2,
    kPersonName = 4,
    kOrganisationName = 8,
};

// Which data an entry came from; the SKK dictionaries list a text's readings
// most frequent first, JMnedict in kana order, so the rank means more there.
enum class NameSource { JMnedict = 0, Skk = 1 };

// One reading of a name as the name data give it, in katakana.
struct NameEntry {
    QString text;
    QString reading;
    unsigned kinds = 0;
    // For a full name: the number of kana of the reading that read the family
    // name, where the data tell it (JMnedict's romaji, "Higashino Keigo"); -1.
    int familyLength = -1;
    NameSource source = NameSource::JMnedict;
    int rank = 0;  // the place among the text's readings in its file
};

// One reading of a single kanji: an on-reading, a kun-reading (its stem), or a
// reading used in names (KANIDIC's nanori).
enum KanjiReadingKind : unsigned { kOnReading = 1, kKunReading = 2, kNameReading = 4 };
struct KanjiReading {
    QString kanji;
    QString reading;  // katakana
    KanjiReadingKind kind = kOnReading;
    int rank = 0;
};

// The name data Debian installs, where it installs them. Tests and other
// systems may point elsewhere.
struct NameDataFiles {
    QString jmnedict = QStringLiteral("/usr/share/edict/enamdict");              // package enamdict
    QString skkFullNames = QStringLiteral("/usr/share/skk/SKK-JISYO.fullname");  // skkdic-extra
    QString skkNames = QStringLiteral("/usr/share/skk/SKK-JISYO.jinmei");        // skkdic-extra
    QString kanjidic = QStringLiteral("/usr/share/edict/kanjidic");              // kanjidic
    QStringList all() const { return {jmnedict, skkFullNames, skkNames, kanjidic}; }
};

// The readers of the files, a line at a time (already decoded from EUC-JP):
// each hands the entries a line holds to `add`. Only texts with a kanji are
// of use (a kana name is its own reading).
void readJmnedictLine(const QString& line, const std::function<void(NameEntry)>& add);
// `fullNames`: every candidate is one person's full name (SKK-JISYO.fullname);
// otherwise the annotation says family (姓), given (名) or either (人名).
void readSkkLine(const QString& line, bool fullNames, const std::function<void(NameEntry)>& add);
void readKanjidicLine(const QString& line, const std::function<void(KanjiReading)>& add);

}  // namespace quillo
