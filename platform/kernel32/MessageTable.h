// The system's message table: the English texts that Windows gives for the
// Win32 error numbers and result codes this program meets. Texts keep the
// Windows form, line breaks as "\r\n" (FormatMessageA turns them into blanks
// under FORMAT_MESSAGE_MAX_WIDTH_MASK).
#pragma once

#include "platform/kernel32/WinTypes.h"

namespace platform {

// The text of a message id, or null when the table has none. A result code
// of the Win32 facility (0x8007xxxx) has the text of Win32 error xxxx.
LPCSTR FindSystemMessage(DWORD dwMessageId);

}  // namespace platform
