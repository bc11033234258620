#include "platform/japanese_fonts.h"

#include <QFont>
#include <QStringList>

namespace quillo {

void substituteJapaneseFonts() {
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"),
                               {QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP")});
}

}  // namespace quillo
