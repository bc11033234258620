#pragma once

class QComboBox;

namespace quillo {

// Appends the combo box's text to the end of its own list unless the text is
// empty or already listed (compared exactly); the list is neither sorted nor
// limited. Keeps the search and filter histories. 0, or -1 without a combo box.
int RememberComboText(QComboBox* combo);

// Makes an editable combo box's completion suggest only: the matching entries
// show in a list below it to pick from with the arrow keys, and what the user
// typed stays what was typed (Tab, Enter and OK never take a suggestion).
void SuggestWithoutFilling(QComboBox* combo);

}  // namespace quillo
