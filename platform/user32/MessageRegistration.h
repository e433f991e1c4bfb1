// Registered window messages: the table behind RegisterWindowMessageA.
//
// The session's table is the file "<runtime dir>/window-messages", one line
// per name: four hex digits of the id, a blank, the name (a backslash is
// written "\\", a line break "\n"). Every process reads and extends it under
// an exclusive flock, so that the first process to register a name fixes its
// id for everybody. Lines that cannot be read are ignored; the ids handed out
// stay above every id the file holds.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <string>
#include <utility>
#include <vector>

namespace platform {

struct RegisteredMessage {
    UINT id;
    std::string name;
};

// The readable entries of a table text, in file order. Only complete lines
// (ending in a line break) count.
std::vector<RegisteredMessage> ParseMessageTable(const std::string& text);

// The line for an entry, line break included.
std::string FormatMessageTableLine(UINT id, const std::string& name);

// Whether two names are the same when ASCII case is ignored.
bool SameMessageName(const std::string& a, const std::string& b);

class UserRuntimeDir;

// The id that the session of another user's runtime folder gave the name,
// read from its table and never written to it: a name nobody there has
// registered has no window there to receive it. False when the table has no
// such name, or is no regular file of that user.
bool FindRegisteredMessage(const UserRuntimeDir& runtime, const std::string& name, UINT& id);

}  // namespace platform
