// The clipboard as a text destination. The GUI layer, once it is up, installs
// the writer that puts text on the desktop's clipboard; before that (and in a
// program without a GUI) there is no clipboard.
#pragma once

#include <string>

namespace platform {

using ClipboardTextWriter = bool (*)(const std::string& text);

// Installs the writer (null removes it). Called by the GUI layer on its thread.
void SetClipboardTextWriter(ClipboardTextWriter writer);

// Puts the text on the clipboard; false when no clipboard is available or it refused.
bool PutTextOnClipboard(const std::string& text);

}  // namespace platform
