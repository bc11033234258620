#include "ui/remember_combo.h"

#include <QComboBox>
#include <QCompleter>

namespace quillo {

int RememberComboText(QComboBox* combo) {
    if (!combo)
        return -1;
    const QString text = combo->currentText();
    if (!text.isEmpty() && combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        combo->addItem(text);
    return 0;
}

void SuggestWithoutFilling(QComboBox* combo) {
    if (QCompleter* completer = combo ? combo->completer() : nullptr) {
        completer->setCompletionMode(QCompleter::PopupCompletion);
        completer->setFilterMode(Qt::MatchStartsWith);
    }
}

}  // namespace quillo
