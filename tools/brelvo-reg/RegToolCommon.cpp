// brelvo-reg: messages, key names and reading through open keys.
#include "platform/advapi32/RegistryStore.h"
#include "platform/kernel32/WinError.h"
#include "tools/brelvo-reg/RegTool.h"

#include <iostream>

namespace brelvoreg {

namespace {

struct RootName {
    const char* shortName;
    const char* fullName;
    HKEY root;
};

const RootName kRoots[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKCU", "HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKU", "HKEY_USERS", HKEY_USERS},
    {"HKCR", "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
};

constexpr DWORD kMaxValueNameBuffer = 16384;
constexpr int kReadAttempts = 8;  // a value another process keeps growing gives up after these

}  // namespace

int Fail(int status, const std::string& message)
{
    std::cerr << "brelvo-reg: " << message << "\n";
    return status;
}

std::string ErrorText(LONG status)
{
    switch (status) {
    case ERROR_FILE_NOT_FOUND: return "not found";
    case ERROR_ACCESS_DENIED: return "access denied (the store is read-only for this user)";
    case ERROR_KEY_DELETED: return "the key was deleted meanwhile";
    case ERROR_BADDB: return "the store file is damaged or is not a registry store";
    case ERROR_CANTOPEN: return "the store file cannot be opened";
    case ERROR_CANTREAD: return "the store cannot be read (it stayed locked)";
    case ERROR_CANTWRITE: return "the store cannot be written";
    case 112: return "the disk is full";
    case ERROR_BAD_PATHNAME: return "the key path is not valid (empty level or leading backslash)";
    case ERROR_INVALID_PARAMETER: return "a name is too long or an argument is not valid";
    default: return "registry error " + std::to_string(status);
    }
}

int FailStore(LONG status, const std::string& what) { return Fail(kExitFailed, what + ": " + ErrorText(status)); }

bool Confirm(const std::string& question)
{
    std::cout << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

bool ParseKeyName(const std::string& text, KeyName& out)
{
    const std::size_t cut = text.find('\\');
    const std::string first = platform::FoldRegistryName(text.substr(0, cut));
    for (const RootName& r : kRoots) {
        if (first == r.shortName || first == r.fullName) {
            out.root = r.root;
            out.rootName = r.fullName;
            out.path = cut == std::string::npos ? std::string() : text.substr(cut + 1);
            while (!out.path.empty() && out.path.back() == '\\')
                out.path.pop_back();
            return true;
        }
    }
    return false;
}

LONG StoredKeyName(const KeyName& key, KeyName& stored)
{
    stored = key;
    stored.path.clear();
    HKEY cur = key.root;
    std::size_t start = 0;
    LONG st = ERROR_SUCCESS;
    while (st == ERROR_SUCCESS && start < key.path.size()) {
        std::size_t cut = key.path.find('\\', start);
        if (cut == std::string::npos)
            cut = key.path.size();
        const std::string wanted = platform::FoldRegistryName(key.path.substr(start, cut - start));
        std::vector<std::string> names;
        st = ReadSubKeys(cur, names);
        std::string found;
        for (const std::string& n : names)
            if (platform::FoldRegistryName(n) == wanted)
                found = n;
        HKEY next = nullptr;
        if (st == ERROR_SUCCESS)
            st = found.empty() ? static_cast<LONG>(ERROR_FILE_NOT_FOUND)
                               : RegOpenKeyExA(cur, found.c_str(), 0, KEY_READ, &next);
        if (cur != key.root)
            RegCloseKey(cur);
        cur = next;
        if (st == ERROR_SUCCESS)
            stored.path += (stored.path.empty() ? "" : "\\") + found;
        start = cut + 1;
    }
    if (cur != nullptr && cur != key.root)
        RegCloseKey(cur);
    return st;
}

LONG ReadValue(HKEY key, const std::string& name, ValueItem& out)
{
    out.name = name;
    LONG st = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < kReadAttempts && st == ERROR_MORE_DATA; ++attempt) {
        DWORD cb = 0;
        st = RegQueryValueExA(key, name.c_str(), nullptr, &out.type, nullptr, &cb);
        if (st != ERROR_SUCCESS)
            return st;
        out.data.resize(cb);
        st = RegQueryValueExA(key, name.c_str(), nullptr, &out.type, out.data.data(), &cb);
        if (st == ERROR_SUCCESS)
            out.data.resize(cb);
    }
    return st;
}

LONG ReadValues(HKEY key, std::vector<ValueItem>& out)
{
    out.clear();
    std::vector<char> name(kMaxValueNameBuffer);
    for (DWORD i = 0;; ++i) {
        DWORD cch = kMaxValueNameBuffer;
        LONG st = RegEnumValueA(key, i, name.data(), &cch, nullptr, nullptr, nullptr, nullptr);
        if (st == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (st != ERROR_SUCCESS)
            return st;
        ValueItem v;
        if ((st = ReadValue(key, std::string(name.data(), cch), v)) != ERROR_SUCCESS)
            return st;
        out.push_back(std::move(v));
    }
}

LONG ReadSubKeys(HKEY key, std::vector<std::string>& out)
{
    out.clear();
    char name[256 + 1];
    for (DWORD i = 0;; ++i) {
        const LONG st = RegEnumKeyA(key, i, name, sizeof name);
        if (st == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (st != ERROR_SUCCESS)
            return st;
        out.emplace_back(name);
    }
}

}  // namespace brelvoreg
