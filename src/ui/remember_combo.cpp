#include "ui/remember_combo.h"

#include <QComboBox>

namespace quillo {

int RememberComboText(QComboBox* combo) {
    if (!combo)
        return -1;
    const QString text = combo->currentText();
    if (!text.isEmpty() && combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        combo->addItem(text);
    return 0;
}

}  // namespace quillo
