// Starting a program as a separate process: CreateProcessA, and a waitable
// watch that tells when a started process and every process it started
// have ended, wherever they went.
//
// The command line is split as Windows does it when no application name is
// given, without a shell: a line that begins with a double quote names the
// program up to the closing quote; otherwise the program is the shortest
// prefix ending before a blank that names an existing file, so a folder with
// blanks in its name is never split ("/updates/my update/setup.sh /quiet"
// runs "/updates/my update/setup.sh" with the argument "/quiet"). The rest
// becomes the arguments, split at blanks, double quotes grouping words
// (a quote itself is not part of an argument).
//
// What differs from Windows: handles are never inherited, the environment
// block and creation flags are not interpreted (the child gets this
// process's environment), and the process handle is not waitable. Each
// started program leads a process group of its own, below a reaper: a small
// child of this process that is the subreaper of the program's tree (its
// orphans come to it, also those that changed their group or session) and
// ends when the last process of that tree has ended. The reaper keeps none
// of this process's descriptors, so it never holds our files or locks.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA*;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// Starts the program. With lpApplicationName the program is that path and
// the whole command line gives the arguments after its first word; without
// it, the command line is split as described above. lpCurrentDirectory (when
// not null) is the child's working folder. FALSE with the last error set
// when the command line is empty (ERROR_INVALID_PARAMETER), no program file
// is found (ERROR_FILE_NOT_FOUND), the folder cannot be entered or the
// program cannot be run (its error). The caller closes both handles.
// Creation flags. Every program started here leads a process group of its
// own already; the flag is accepted for the callers that ask for it.
constexpr DWORD CREATE_NEW_PROCESS_GROUP = 0x00000200;

BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, void* lpProcessAttributes, void* lpThreadAttributes,
                    BOOL bInheritHandles, DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                    LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation);

namespace platform {

// The program and arguments of a command line, as CreateProcessA splits it
// without an application name; isFile tells whether a candidate program path
// names an existing file. Empty when the line holds no program.
std::vector<std::string> SplitCommandLine(const std::string& commandLine,
                                          const std::function<bool(const std::string&)>& isFile);

// A waitable handle (manual reset, closed with CloseHandle) that becomes
// signaled once the process of hProcess and every process it started, and
// they started, have ended (its reaper has ended). Null with
// ERROR_INVALID_HANDLE for a handle that is not a process of CreateProcessA.
HANDLE WatchProcessTree(HANDLE hProcess);

}  // namespace platform
