#pragma once

#include <QString>

namespace quillo {

// The readings of well-known Japanese publishers, as they write their names in
// kana: a publisher's name is often read as neither the name data nor MeCab
// would (大和書房 ダイワショボウ, 青土社 セイドシャ). Empty for another name.
QString knownPublisherReading(const QString& name);

}  // namespace quillo
