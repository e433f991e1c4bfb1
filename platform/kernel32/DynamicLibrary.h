// Loading a system library by name and looking up its entries: LoadLibraryA,
// GetProcAddress, FreeLibrary.
//
// The Windows libraries that the program loads at run time (the setup
// library "advpack.dll" for its folder-tree deletion) are provided by this
// platform layer itself; loading one of them gives a handle to its built-in
// entry table. Names match without regard to ASCII case, with or without the
// ".dll" ending. Any other name fails with ERROR_MOD_NOT_FOUND: no foreign
// code is ever loaded this way.
#pragma once

#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinTypes.h"

using FARPROC = void (*)();

// The library's handle, or null with ERROR_MOD_NOT_FOUND.
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
// The entry of that name (case-sensitive, as on Windows), or null with
// ERROR_PROC_NOT_FOUND; null with ERROR_INVALID_HANDLE for a handle that
// LoadLibraryA did not give.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// Built-in libraries stay loaded; TRUE for a handle that LoadLibraryA gave.
BOOL FreeLibrary(HMODULE hLibModule);
