#pragma once

class QComboBox;

namespace quillo {

// Appends the combo box's text to the end of its own list unless the text is
// empty or already listed (compared exactly); the list is neither sorted nor
// limited. Keeps the search and filter histories. 0, or -1 without a combo box.
int RememberComboText(QComboBox* combo);

}  // namespace quillo
