#include "platform/kernel32/DynamicLibrary.h"

#include "platform/advpack/SetupLibrary.h"
#include "platform/kernel32/AsciiText.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cstring>
#include <string_view>

namespace {

struct LibraryEntry {
    const char* name;
    FARPROC proc;
};

// A built-in library: its name without ".dll" and its entries. The record's
// address is the library's handle.
struct BuiltInLibrary {
    const char* name;
    const LibraryEntry* entries;
    std::size_t count;
};

const LibraryEntry kAdvpackEntries[] = {
    {"DelNode", reinterpret_cast<FARPROC>(&DelNode)},
};

const BuiltInLibrary kLibraries[] = {
    {"advpack", kAdvpackEntries, sizeof kAdvpackEntries / sizeof kAdvpackEntries[0]},
};

const BuiltInLibrary* FromHandle(HMODULE h)
{
    for (const BuiltInLibrary& lib : kLibraries) {
        if (reinterpret_cast<HMODULE>(const_cast<BuiltInLibrary*>(&lib)) == h)
            return &lib;
    }
    return nullptr;
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR lpLibFileName)
{
    std::string_view name = lpLibFileName != nullptr ? lpLibFileName : "";
    if (name.size() > 4 && platform::EqualsNoCase(name.substr(name.size() - 4), ".dll"))
        name.remove_suffix(4);
    for (const BuiltInLibrary& lib : kLibraries) {
        if (platform::EqualsNoCase(name, lib.name)) {
            SetLastError(ERROR_SUCCESS);
            return reinterpret_cast<HMODULE>(const_cast<BuiltInLibrary*>(&lib));
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    const BuiltInLibrary* lib = FromHandle(hModule);
    if (lib == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (lpProcName != nullptr && !IS_INTRESOURCE(lpProcName)) {
        for (std::size_t i = 0; i < lib->count; ++i) {
            if (std::strcmp(lib->entries[i].name, lpProcName) == 0)
                return lib->entries[i].proc;
        }
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL FreeLibrary(HMODULE hLibModule)
{
    if (FromHandle(hLibModule) == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
