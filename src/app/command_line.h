#pragma once

#include <optional>

namespace quillo {

// Answers --help and --version (and refuses an option of its own it does not
// know) before any window is made, so they work without a display. Returns the
// exit status when the command line was answered; nothing when the window
// should start (Qt's own options, -platform and the like, are left to it).
std::optional<int> answerCommandLine(int argc, char* argv[]);

}  // namespace quillo
