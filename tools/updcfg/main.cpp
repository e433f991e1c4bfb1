// updcfg: dispatch to the commands.
#include "tools/updcfg/Updcfg.h"

#include "CustomCode/Common/cmLog.h"
#include "platform/kernel32/FormatMessage.h"

#include <cstdio>
#include <iostream>

namespace updcfg {

namespace {

constexpr const char* kUsage =
    "usage: updcfg create FILE --command TEXT [--product NAME=VERSION]...\n"
    "                     [--description LANG=RTFFILE]... [--html LANG=RELPATH]...\n"
    "                     [--packet-version 1|2]\n"
    "       updcfg dump FILE [--json]\n"
    "LANG is a Windows language id in decimal (1033 is English, United States).\n"
    "Version 1 files have no HTML pages. Exit status: 0 done, 1 a file could not be\n"
    "read, parsed or written, 2 bad usage.\n";

}  // namespace

int Fail(int status, const std::string& problem)
{
    std::cerr << "updcfg: " << problem << "\n";
    return status;
}

int Usage(const std::string& problem) { return Fail(kExitUsage, problem + " (updcfg --help shows the usage)"); }

std::string ErrorText(HRESULT hr)
{
    char buf[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(hr), 0, buf, sizeof buf, static_cast<va_list*>(nullptr));
    while (n > 0 && (buf[n - 1] == '\n' || buf[n - 1] == '\r' || buf[n - 1] == '.'))
        --n;
    if (n == 0)
        return "error 0x" + [&] {
            std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(hr));
            return std::string(buf);
        }();
    return std::string(buf, n);
}

}  // namespace updcfg

// A companion tool reads the log switches it finds and stores none.
bool cmLogCreatesMissingSwitches() { return false; }

int main(int argc, char** argv)
{
    using namespace updcfg;
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty())
        return Usage("no command given");
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return kExitOk;
    }
    if (command == "create")
        return Create(args);
    if (command == "dump")
        return Dump(args);
    return Usage("unknown command '" + command + "'");
}
