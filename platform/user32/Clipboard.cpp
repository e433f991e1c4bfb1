#include "platform/user32/Clipboard.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<ClipboardTextWriter> g_writer{nullptr};
}

void SetClipboardTextWriter(ClipboardTextWriter writer) { g_writer.store(writer); }

bool PutTextOnClipboard(const std::string& text)
{
    ClipboardTextWriter writer = g_writer.load();
    return writer != nullptr && writer(text);
}

}  // namespace platform
