// updcfg: the two commands and what they share.
//   updcfg create FILE --command TEXT [--product NAME=VERSION]...
//                 [--description LANG=RTFFILE]... [--html LANG=RELPATH]...
//                 [--packet-version 1|2]
//   updcfg dump FILE [--json]
// Exit status 0 on success, 1 for a file that cannot be read, parsed or
// written, 2 for bad usage; problems are one line on standard error.
#pragma once

#include "platform/kernel32/WinError.h"

#include <string>
#include <vector>

namespace updcfg {

constexpr int kExitOk = 0;
constexpr int kExitFile = 1;
constexpr int kExitUsage = 2;

// Writes "updcfg: <problem>" and gives the status.
int Fail(int status, const std::string& problem);
// Bad usage, with a pointer to the usage text.
int Usage(const std::string& problem);
// The message text of a result code.
std::string ErrorText(HRESULT hr);

int Create(const std::vector<std::string>& args);
int Dump(const std::vector<std::string>& args);

}  // namespace updcfg
