#include "platform/kernel32/DynamicLibrary.h"

#include "platform/kernel32/AsciiText.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cstring>
#include <string_view>

namespace {

// The built-in libraries, most recently made first. They are all made during
// static initialisation, before any thread can look at the list.
const platform::BuiltInLibrary*& FirstLibrary()
{
    static const platform::BuiltInLibrary* first = nullptr;
    return first;
}

const platform::BuiltInLibrary* FromHandle(HMODULE h)
{
    for (const platform::BuiltInLibrary* lib = FirstLibrary(); lib != nullptr; lib = lib->Next()) {
        if (reinterpret_cast<HMODULE>(const_cast<platform::BuiltInLibrary*>(lib)) == h)
            return lib;
    }
    return nullptr;
}

}  // namespace

namespace platform {

BuiltInLibrary::BuiltInLibrary(const char* name, const BuiltInEntry* entries, std::size_t count)
    : m_name(name), m_entries(entries), m_count(count), m_next(FirstLibrary())
{
    FirstLibrary() = this;
}

FARPROC BuiltInLibrary::Find(const char* entryName) const
{
    for (std::size_t i = 0; i < m_count; ++i) {
        if (std::strcmp(m_entries[i].name, entryName) == 0)
            return m_entries[i].proc;
    }
    return nullptr;
}

}  // namespace platform

HMODULE LoadLibraryA(LPCSTR lpLibFileName)
{
    std::string_view name = lpLibFileName != nullptr ? lpLibFileName : "";
    if (name.size() > 4 && platform::EqualsNoCase(name.substr(name.size() - 4), ".dll"))
        name.remove_suffix(4);
    for (const platform::BuiltInLibrary* lib = FirstLibrary(); lib != nullptr; lib = lib->Next()) {
        if (platform::EqualsNoCase(name, lib->Name())) {
            SetLastError(ERROR_SUCCESS);
            return reinterpret_cast<HMODULE>(const_cast<platform::BuiltInLibrary*>(lib));
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    const platform::BuiltInLibrary* lib = FromHandle(hModule);
    if (lib == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (lpProcName != nullptr && !IS_INTRESOURCE(lpProcName)) {
        if (FARPROC proc = lib->Find(lpProcName))
            return proc;
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
