#pragma once

#include <QString>

namespace quillo {

// What the print system (CUPS) said of the last job handed to it: empty when
// it took the job, else its reason ("Destination ... is not accepting jobs").
// Qt's printer reports success even when the queue refused the job, so a print
// to a printer asks here afterwards.
QString printSystemRefusal();

}  // namespace quillo
