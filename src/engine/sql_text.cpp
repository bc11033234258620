#include "engine/sql_text.h"

namespace quillo {

QByteArray toEngineSql(const QStringList& lines) {
    const QByteArray joined = lines.join(QLatin1Char('\n')).toUtf8();
    QByteArray out;
    out.reserve(joined.size());
    for (qsizetype i = 0; i < joined.size(); ++i) {
        out.append(joined[i]);
        if (joined[i] == ':' && i + 1 < joined.size() && joined[i + 1] == ':')
            ++i;  // "::" is one literal colon
    }
    return out;
}

}  // namespace quillo
