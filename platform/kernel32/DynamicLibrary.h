// Loading a system library by name and looking up its entries: LoadLibraryA,
// GetProcAddress, FreeLibrary.
//
// The Windows libraries that the program loads at run time (the setup
// library "advpack.dll" for its folder-tree deletion) are provided by this
// platform layer itself: each one's folder defines a BuiltInLibrary with its
// entry table, and loading it gives a handle to that table. Names match
// without regard to ASCII case, with or without the ".dll" ending. Any other
// name fails with ERROR_MOD_NOT_FOUND: no foreign code is ever loaded this way.
#pragma once

#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinTypes.h"

#include <cstddef>

using FARPROC = void (*)();

namespace platform {

struct BuiltInEntry {
    const char* name;
    FARPROC proc;
};

// A library built into the program. Defined as a static object of the folder
// that implements the library; it makes itself known to LoadLibraryA as it is
// constructed, so it must live until the process ends. The object's address
// is the library's module handle.
class BuiltInLibrary {
public:
    BuiltInLibrary(const char* name, const BuiltInEntry* entries, std::size_t count);
    BuiltInLibrary(const BuiltInLibrary&) = delete;
    BuiltInLibrary& operator=(const BuiltInLibrary&) = delete;

    const char* Name() const { return m_name; }
    // The entry of that name, or null.
    FARPROC Find(const char* entryName) const;
    const BuiltInLibrary* Next() const { return m_next; }

private:
    const char* m_name;
    const BuiltInEntry* m_entries;
    std::size_t m_count;
    const BuiltInLibrary* m_next;
};

}  // namespace platform

// The library's handle, or null with ERROR_MOD_NOT_FOUND.
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
// The entry of that name (case-sensitive, as on Windows), or null with
// ERROR_PROC_NOT_FOUND; null with ERROR_INVALID_HANDLE for a handle that
// LoadLibraryA did not give.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// Built-in libraries stay loaded; TRUE for a handle that LoadLibraryA gave.
BOOL FreeLibrary(HMODULE hLibModule);
