#pragma once

namespace quillo {

// Makes Qt's own texts Japanese (the standard buttons, the print and file
// dialogs, the page setup), whatever the system's language: the rest of the
// program speaks Japanese. Without Qt's translation files installed, they stay
// as Qt has them. Call once the application object exists.
void installQtTranslations();

}  // namespace quillo
