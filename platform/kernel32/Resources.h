// Resources: typed, named, per-language blocks of bytes compiled into the
// program (string tables, pictures, dialog templates, bitmaps, the icon), and
// the Win32 calls that find and read them.
//
// The build turns resources/ into a table that registers itself with
// RegisterProgramResources during static initialisation; that table is the
// program's own module (GetModuleHandleA(NULL), or a null module handle in
// the calls below). Further modules can be registered with a ResourceModule
// (tests use them for tables with chosen content). A handle that names no
// registered module fails as a file without resources does
// (ERROR_RESOURCE_DATA_NOT_FOUND).
//
// String tables keep the Windows layout: entry id n lives in the RT_STRING
// resource named (n / 16) + 1, at position n mod 16 of its 16 counted UTF-16
// strings (a 16-bit length, then that many little-endian code units).
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct HINSTANCE__ {
    int unused;
};
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

struct HRSRC__ {
    int unused;
};
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

// An integer resource type or name travels in the low 16 bits of a pointer.
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))
inline bool IS_INTRESOURCE(const void* p) { return (reinterpret_cast<std::uintptr_t>(p) >> 16) == 0; }

constexpr WORD RT_CURSOR_ID = 1;
constexpr WORD RT_BITMAP_ID = 2;
constexpr WORD RT_ICON_ID = 3;
constexpr WORD RT_MENU_ID = 4;
constexpr WORD RT_DIALOG_ID = 5;
constexpr WORD RT_STRING_ID = 6;
constexpr WORD RT_ACCELERATOR_ID = 9;
constexpr WORD RT_RCDATA_ID = 10;
constexpr WORD RT_MESSAGETABLE_ID = 11;
constexpr WORD RT_GROUP_CURSOR_ID = 12;
constexpr WORD RT_GROUP_ICON_ID = 14;
constexpr WORD RT_VERSION_ID = 16;
constexpr WORD RT_MANIFEST_ID = 24;

#define RT_CURSOR MAKEINTRESOURCEA(RT_CURSOR_ID)
#define RT_BITMAP MAKEINTRESOURCEA(RT_BITMAP_ID)
#define RT_ICON MAKEINTRESOURCEA(RT_ICON_ID)
#define RT_MENU MAKEINTRESOURCEA(RT_MENU_ID)
#define RT_DIALOG MAKEINTRESOURCEA(RT_DIALOG_ID)
#define RT_STRING MAKEINTRESOURCEA(RT_STRING_ID)
#define RT_ACCELERATOR MAKEINTRESOURCEA(RT_ACCELERATOR_ID)
#define RT_RCDATA MAKEINTRESOURCEA(RT_RCDATA_ID)
#define RT_MESSAGETABLE MAKEINTRESOURCEA(RT_MESSAGETABLE_ID)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(RT_GROUP_CURSOR_ID)
#define RT_GROUP_ICON MAKEINTRESOURCEA(RT_GROUP_ICON_ID)
#define RT_VERSION MAKEINTRESOURCEA(RT_VERSION_ID)
#define RT_MANIFEST MAKEINTRESOURCEA(RT_MANIFEST_ID)

// Null: the program's module. Another name: a registered ResourceModule of
// that name (ASCII case ignored), else null with ERROR_MOD_NOT_FOUND.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);

// The resource of that type, name and language. Types and names are integer
// resources or texts (ASCII case ignored; "#123" is the integer 123).
// Language 0 (neutral) searches in the Windows order: neutral, the system
// default language, its primary language with the default sub-language,
// 1033, then any. Any other language must match exactly. Failures set
// ERROR_RESOURCE_DATA_NOT_FOUND (no such module or no resources),
// ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND or
// ERROR_RESOURCE_LANG_NOT_FOUND.
HRSRC FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage);
// Note the Windows argument order: name before type. Language neutral.
HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
// The resource's bytes (they live as long as the module is registered);
// null with ERROR_INVALID_HANDLE for a handle that is not a resource of hModule.
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
// 0 with ERROR_INVALID_HANDLE for a handle that is not a resource of hModule.
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
// String table entry uID in the neutral language order, converted to UTF-8
// and cut to cchBufferMax - 1 bytes at a character boundary, then
// terminated. Returns the bytes copied; 0 when the entry is missing or empty
// (ERROR_RESOURCE_NAME_NOT_FOUND and related codes) or the buffer unusable
// (ERROR_INVALID_PARAMETER).
int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

namespace platform {

// A resource type or name: an integer id when text is null, else the text.
struct ResourceKey {
    WORD id;
    LPCSTR text;
};

// One resource. The bytes are not copied: they must live while registered.
struct ResourceEntry {
    ResourceKey type;
    ResourceKey name;
    WORD language;
    const void* data;
    DWORD size;
};

// Adds entries to the program's module. Called by the generated resource
// table during static initialisation; the entries must live for the process.
void RegisterProgramResources(const ResourceEntry* entries, std::size_t count);

// Every lookup a module sees: type, name (integer or text) and language.
using ResourceLookupObserver = std::function<void(const ResourceKey& type, const ResourceKey& name, WORD language)>;

// A further module with a name and entries of its own, registered while the
// object lives. Its handle names it in every call above; after destruction
// the handle names nothing. Entries' texts are copied, their bytes are not.
class ResourceModule {
public:
    ResourceModule(LPCSTR szName, const std::vector<ResourceEntry>& entries);
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;
    ~ResourceModule();

    HMODULE Handle() const;
    // Called for every FindResourceExA attempt on this module (including
    // each language tried by a neutral search). For tests and diagnostics.
    void SetLookupObserver(ResourceLookupObserver observer);

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

// Entry nIndex (0 to 15) of a string table block of cb bytes. False when the
// entry is absent (length 0) or the block ends before the entry does.
bool ReadStringTableEntry(const void* pBlock, DWORD cb, UINT nIndex, std::u16string& text);

// String table entry uID of the module in that language (0: the neutral
// search order). False with the last error set when it is missing or empty.
bool LoadStringTableEntry(HMODULE hModule, UINT uID, WORD wLanguage, std::u16string& text);

// Builds one string table block (16 counted UTF-16 strings, little-endian)
// from up to 16 UTF-8 texts; missing or empty texts are absent entries.
std::vector<BYTE> BuildStringBlock(const std::vector<const char*>& texts);

}  // namespace platform
