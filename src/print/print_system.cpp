#include "print/print_system.h"

#include <cups/cups.h>

namespace quillo {

QString printSystemRefusal() {
    // The status of the last request this thread made, which is the job Qt's
    // printer just submitted; anything from the redirections on is a refusal.
    if (cupsLastError() < IPP_STATUS_REDIRECTION_OTHER_SITE)
        return QString();
    return QString::fromUtf8(cupsLastErrorString());
}

}  // namespace quillo
