#pragma once

#include <QString>

namespace quillo {

// A text from a file, a record or the catalogue, for one line of a message a
// tool prints: every control character (line breaks, tabs, escape sequences,
// C1 controls such as NEL) and every mark that turns the direction of what
// follows is written out (\n, \t, \x1b, \u0085, \u202e), so a title can neither
// start a line of its own nor rewrite what is printed around it.
QString withControlsShown(const QString& text);

// The same for a whole message of the program's own, whose line breaks are
// its own: they are kept.
QString withControlsShownButLineBreaks(const QString& text);

}  // namespace quillo
