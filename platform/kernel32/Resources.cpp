#include "platform/kernel32/Resources.h"

#include "platform/kernel32/CodePage.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Locale.h"
#include "platform/kernel32/WinError.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// A type or name as stored and compared: an id, or an upper-case text.
struct Key {
    bool isText = false;
    WORD id = 0;
    std::string text;

    bool operator==(const Key& o) const { return isText == o.isText && (isText ? text == o.text : id == o.id); }
};

// "#123" names the integer 123; other texts compare without regard to ASCII case.
Key KeyFromText(LPCSTR p)
{
    Key k;
    if (p[0] == '#' && p[1] != '\0') {
        unsigned long v = 0;
        const char* q = p + 1;
        while (*q >= '0' && *q <= '9' && v <= 0xFFFF)
            v = v * 10 + static_cast<unsigned long>(*q++ - '0');
        if (*q == '\0' && v <= 0xFFFF) {
            k.id = static_cast<WORD>(v);
            return k;
        }
    }
    k.isText = true;
    for (; *p != '\0'; ++p)
        k.text.push_back(UpperAscii(*p));
    return k;
}

Key KeyFromPointer(LPCSTR p)
{
    if (IS_INTRESOURCE(p)) {
        Key k;
        k.id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(p));
        return k;
    }
    return KeyFromText(p);
}

Key KeyFromResourceKey(const platform::ResourceKey& rk)
{
    if (rk.text == nullptr) {
        Key k;
        k.id = rk.id;
        return k;
    }
    return KeyFromText(rk.text);
}

struct StoredEntry {
    Key type;
    Key name;
    WORD language;
    const void* data;
    DWORD size;
};

struct Module {
    HINSTANCE__ tag{};  // its address is the module handle
    std::string name;
    std::vector<std::unique_ptr<StoredEntry>> entries;
    platform::ResourceLookupObserver observer;

    HMODULE Handle() { return &tag; }
    void Add(const platform::ResourceEntry& e)
    {
        entries.push_back(std::make_unique<StoredEntry>(
            StoredEntry{KeyFromResourceKey(e.type), KeyFromResourceKey(e.name), e.language, e.data, e.size}));
    }
};

// The process's modules. Never destroyed, so that lookups made while static
// objects are torn down still find the program's resources.
struct Registry {
    std::mutex lock;
    Module program;
    std::vector<Module*> extra;

    Module* Find(HMODULE h)
    {
        if (h == nullptr || h == program.Handle())
            return &program;
        for (Module* m : extra)
            if (m->Handle() == h)
                return m;
        return nullptr;
    }
};

Registry& TheRegistry()
{
    static Registry* r = new Registry;
    return *r;
}

// The entry behind hResInfo when it belongs to hModule; caller holds the lock.
StoredEntry* EntryOf(Registry& reg, HMODULE hModule, HRSRC hResInfo)
{
    Module* m = reg.Find(hModule);
    if (m == nullptr || hResInfo == nullptr)
        return nullptr;
    for (const auto& e : m->entries)
        if (reinterpret_cast<HRSRC>(e.get()) == hResInfo)
            return e.get();
    return nullptr;
}

platform::ResourceKey PublicKey(const Key& k)
{
    return platform::ResourceKey{k.id, k.isText ? k.text.c_str() : nullptr};
}

}  // namespace

HMODULE GetModuleHandleA(LPCSTR lpModuleName)
{
    Registry& reg = TheRegistry();
    std::lock_guard<std::mutex> guard(reg.lock);
    if (lpModuleName == nullptr)
        return reg.program.Handle();
    for (Module* m : reg.extra) {
        if (m->name.size() == std::strlen(lpModuleName) &&
            std::equal(m->name.begin(), m->name.end(), lpModuleName,
                       [](char a, char b) { return UpperAscii(a) == UpperAscii(b); }))
            return m->Handle();
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HRSRC FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage)
{
    if (lpType == nullptr || lpName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const Key type = KeyFromPointer(lpType);
    const Key name = KeyFromPointer(lpName);
    // The neutral search order, fixed before the lock is taken.
    const LANGID sys = GetSystemDefaultLangID();
    const WORD neutralOrder[] = {0, sys, MAKELANGID(PRIMARYLANGID(sys), SUBLANG_DEFAULT), LANG_ENGLISH_US};

    Registry& reg = TheRegistry();
    platform::ResourceLookupObserver observer;
    HRSRC result = nullptr;
    DWORD error = ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> guard(reg.lock);
        Module* m = reg.Find(hModule);
        if (m == nullptr || m->entries.empty()) {
            error = ERROR_RESOURCE_DATA_NOT_FOUND;
        } else {
            observer = m->observer;
            std::vector<StoredEntry*> named;
            bool typeSeen = false;
            for (const auto& e : m->entries) {
                if (!(e->type == type))
                    continue;
                typeSeen = true;
                if (e->name == name)
                    named.push_back(e.get());
            }
            auto withLanguage = [&](WORD lang) -> StoredEntry* {
                for (StoredEntry* e : named)
                    if (e->language == lang)
                        return e;
                return nullptr;
            };
            StoredEntry* hit = nullptr;
            if (!typeSeen) {
                error = ERROR_RESOURCE_TYPE_NOT_FOUND;
            } else if (named.empty()) {
                error = ERROR_RESOURCE_NAME_NOT_FOUND;
            } else if (wLanguage != 0) {
                hit = withLanguage(wLanguage);
            } else {
                for (WORD lang : neutralOrder)
                    if ((hit = withLanguage(lang)) != nullptr)
                        break;
                if (hit == nullptr)  // any language, lowest id first
                    hit = *std::min_element(named.begin(), named.end(), [](StoredEntry* a, StoredEntry* b) {
                        return a->language < b->language;
                    });
            }
            if (hit != nullptr)
                result = reinterpret_cast<HRSRC>(hit);
            else if (error == ERROR_SUCCESS)
                error = ERROR_RESOURCE_LANG_NOT_FOUND;
        }
    }
    if (observer)
        observer(PublicKey(type), PublicKey(name), wLanguage);
    if (result == nullptr)
        SetLastError(error);
    return result;
}

HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType)
{
    return FindResourceExA(hModule, lpType, lpName, 0);
}

HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo)
{
    Registry& reg = TheRegistry();
    std::lock_guard<std::mutex> guard(reg.lock);
    StoredEntry* e = EntryOf(reg, hModule, hResInfo);
    if (e == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // An empty resource still loads; its data pointer is never read.
    static const BYTE kEmpty = 0;
    return const_cast<void*>(e->data != nullptr ? e->data : &kEmpty);
}

LPVOID LockResource(HGLOBAL hResData) { return hResData; }

DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo)
{
    Registry& reg = TheRegistry();
    std::lock_guard<std::mutex> guard(reg.lock);
    StoredEntry* e = EntryOf(reg, hModule, hResInfo);
    if (e == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return e->size;
}

int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax)
{
    if (lpBuffer == nullptr || cchBufferMax <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    lpBuffer[0] = '\0';
    std::u16string wide;
    if (!platform::LoadStringTableEntry(hInstance, uID, 0, wide))
        return 0;
    const std::string narrow = platform::Utf16ToUtf8(wide.data(), wide.size());
    std::size_t n = std::min<std::size_t>(narrow.size(), static_cast<std::size_t>(cchBufferMax - 1));
    // Never cut a character in two.
    while (n > 0 && n < narrow.size() && (static_cast<unsigned char>(narrow[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(lpBuffer, narrow.data(), n);
    lpBuffer[n] = '\0';
    return static_cast<int>(n);
}

namespace platform {

void RegisterProgramResources(const ResourceEntry* entries, std::size_t count)
{
    Registry& reg = TheRegistry();
    std::lock_guard<std::mutex> guard(reg.lock);
    for (std::size_t i = 0; i < count; ++i)
        reg.program.Add(entries[i]);
}

struct ResourceModule::Impl {
    Module module;
};

ResourceModule::ResourceModule(LPCSTR szName, const std::vector<ResourceEntry>& entries)
    : m_pImpl(std::make_unique<Impl>())
{
    m_pImpl->module.name = szName != nullptr ? szName : "";
    for (const ResourceEntry& e : entries)
        m_pImpl->module.Add(e);
    Registry& reg = TheRegistry();
    std::lock_guard<std::mutex> guard(reg.lock);
    reg.extra.push_back(&m_pImpl->module);
}

ResourceModule::~ResourceModule()
{
    Registry& reg = TheRegistry();
    std::lock_guard<std::mutex> guard(reg.lock);
    reg.extra.erase(std::remove(reg.extra.begin(), reg.extra.end(), &m_pImpl->module), reg.extra.end());
}

HMODULE ResourceModule::Handle() const { return m_pImpl->module.Handle(); }

void ResourceModule::SetLookupObserver(ResourceLookupObserver observer)
{
    Registry& reg = TheRegistry();
    std::lock_guard<std::mutex> guard(reg.lock);
    m_pImpl->module.observer = std::move(observer);
}

bool ReadStringTableEntry(const void* pBlock, DWORD cb, UINT nIndex, std::u16string& text)
{
    text.clear();
    const BYTE* p = static_cast<const BYTE*>(pBlock);
    if (p == nullptr || nIndex > 15)
        return false;
    // Walk the counted strings, never past the block's bytes.
    std::uint64_t off = 0;
    for (UINT i = 0;; ++i) {
        if (off + 2 > cb)
            return false;
        const DWORD cch = static_cast<DWORD>(p[off]) | (static_cast<DWORD>(p[off + 1]) << 8);
        off += 2;
        if (off + 2ull * cch > cb)
            return false;
        if (i == nIndex) {
            if (cch == 0)
                return false;
            text.resize(cch);
            for (DWORD k = 0; k < cch; ++k)
                text[k] = static_cast<char16_t>(p[off + 2 * k] | (p[off + 2 * k + 1] << 8));
            return true;
        }
        off += 2ull * cch;
    }
}

bool LoadStringTableEntry(HMODULE hModule, UINT uID, WORD wLanguage, std::u16string& text)
{
    text.clear();
    if (uID > 0xFFFF) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    HRSRC hRes = FindResourceExA(hModule, RT_STRING, MAKEINTRESOURCEA(uID / 16 + 1), wLanguage);
    if (hRes == nullptr)
        return false;
    const void* p = LockResource(LoadResource(hModule, hRes));
    const DWORD cb = SizeofResource(hModule, hRes);
    if (p == nullptr)
        return false;
    if (!ReadStringTableEntry(p, cb, uID % 16, text)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    return true;
}

std::vector<BYTE> BuildStringBlock(const std::vector<const char*>& texts)
{
    std::vector<BYTE> block;
    for (std::size_t i = 0; i < 16; ++i) {
        std::u16string wide;
        if (i < texts.size() && texts[i] != nullptr)
            wide = Utf8ToUtf16(texts[i], std::strlen(texts[i]));
        const std::size_t cch = std::min<std::size_t>(wide.size(), 0xFFFF);
        block.push_back(static_cast<BYTE>(cch & 0xFF));
        block.push_back(static_cast<BYTE>(cch >> 8));
        for (std::size_t k = 0; k < cch; ++k) {
            block.push_back(static_cast<BYTE>(wide[k] & 0xFF));
            block.push_back(static_cast<BYTE>(wide[k] >> 8));
        }
    }
    return block;
}

}  // namespace platform
