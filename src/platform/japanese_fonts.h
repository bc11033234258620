#pragma once

namespace quillo {

// The settings name the fonts a Japanese Windows has; on this system the IPA
// and Noto fonts stand in for them, on screen and on paper alike. The names
// stored in the settings stay.
void substituteJapaneseFonts();

}  // namespace quillo
