#pragma once

namespace quillo {

// Leaves out Qt's notice that XDG_RUNTIME_DIR is not set (it then uses a folder
// of its own, which is all the program needs): a tool that succeeded prints
// nothing but what it was asked for. Every other message passes as before.
void quietRuntimeFolderNotice();

}  // namespace quillo
