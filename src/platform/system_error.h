#pragma once

#include <QString>

namespace quillo {

// What the system's error number means, in the words of the program's own
// messages ("ディスクがいっぱいです"); the system's own text for a rare one.
QString systemErrorText(int error);

}  // namespace quillo
