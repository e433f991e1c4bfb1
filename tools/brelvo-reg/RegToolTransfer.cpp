// brelvo-reg export and import: "Windows Registry Editor Version 5.00" files.
#include "platform/advapi32/RegistryFile.h"
#include "platform/kernel32/WinError.h"
#include "platform/linux/BoundedFile.h"
#include "tools/brelvo-reg/RegTool.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace brelvoreg {

namespace {

constexpr const char* kDone = "The operation completed successfully.";
constexpr std::size_t kMaxImportBytes = 256u << 20;

// The key and everything below it, keys before their sub-keys.
LONG Collect(HKEY h, const std::string& full, platform::RegFileDocument& doc)
{
    platform::RegFileKey k;
    k.path = full;
    std::vector<ValueItem> values;
    LONG st = ReadValues(h, values);
    if (st != ERROR_SUCCESS)
        return st;
    for (ValueItem& v : values) {
        platform::RegFileValue fv;
        fv.name = std::move(v.name);
        fv.type = v.type;
        fv.data = std::move(v.data);
        k.values.push_back(std::move(fv));
    }
    doc.keys.push_back(std::move(k));
    std::vector<std::string> subKeys;
    if ((st = ReadSubKeys(h, subKeys)) != ERROR_SUCCESS)
        return st;
    for (const std::string& name : subKeys) {
        HKEY sub = nullptr;
        st = RegOpenKeyExA(h, name.c_str(), 0, KEY_READ, &sub);
        if (st == ERROR_FILE_NOT_FOUND || st == ERROR_KEY_DELETED)
            continue;  // removed by another program meanwhile
        if (st != ERROR_SUCCESS)
            return st;
        st = Collect(sub, full + "\\" + name, doc);
        RegCloseKey(sub);
        if (st != ERROR_SUCCESS)
            return st;
    }
    return ERROR_SUCCESS;
}

// Applies one key of a file; the message says what failed.
LONG ApplyKey(const platform::RegFileKey& k, const KeyName& key, std::string& what)
{
    if (k.remove) {
        const LONG st = RegDeleteTreeA(key.root, key.path.c_str());
        what = "cannot delete " + key.Full();
        return st == ERROR_FILE_NOT_FOUND ? static_cast<LONG>(ERROR_SUCCESS) : st;
    }
    HKEY h = nullptr;
    LONG st = RegCreateKeyExA(key.root, key.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &h, nullptr);
    if (st != ERROR_SUCCESS) {
        what = "cannot create " + key.Full();
        return st;
    }
    for (const platform::RegFileValue& v : k.values) {
        if (v.remove) {
            st = RegDeleteValueA(h, v.name.c_str());
            if (st == ERROR_FILE_NOT_FOUND)
                st = ERROR_SUCCESS;
        } else {
            // The file's bytes exactly: text it gives without a terminator
            // stays so, and nothing past the data is read.
            st =
                platform::RegSetValueExact(h, v.name.c_str(), v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
        }
        if (st != ERROR_SUCCESS) {
            what = "line " + std::to_string(v.line) + ": cannot " + (v.remove ? "delete " : "set ") +
                   (v.name.empty() ? std::string("(Default)") : v.name) + " under " + key.Full();
            break;
        }
    }
    RegCloseKey(h);
    return st;
}

}  // namespace

int RunExport(const Options& o)
{
    KeyName key;
    if (!ParseKeyName(o.positional[0], key))
        return Fail(kExitUsage, "'" + o.positional[0] + "' does not start with a root (HKLM, HKCU, HKU, HKCR)");
    const std::string& file = o.positional[1];
    KeyName stored;
    LONG st = StoredKeyName(key, stored);
    if (st == ERROR_FILE_NOT_FOUND)
        return Fail(kExitFailed, "the key " + key.Full() + " does not exist");
    if (st != ERROR_SUCCESS)
        return FailStore(st, "cannot open " + key.Full());
    HKEY h = nullptr;
    if ((st = RegOpenKeyExA(stored.root, stored.path.c_str(), 0, KEY_READ, &h)) != ERROR_SUCCESS)
        return FailStore(st, "cannot open " + key.Full());
    platform::RegFileDocument doc;
    st = Collect(h, stored.Full(), doc);
    RegCloseKey(h);
    if (st != ERROR_SUCCESS)
        return FailStore(st, "cannot read " + key.Full());

    std::string text, problem;
    if (!platform::FormatRegFile(doc, text, problem))
        return Fail(kExitFailed, problem);
    std::error_code ec;
    if (std::filesystem::exists(file, ec) && !o.overwriteFile && !Confirm("File " + file + " exists. Overwrite"))
        return Fail(kExitFailed, "cancelled: " + file + " was not overwritten");
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        return Fail(kExitFailed, "cannot write " + file);
    std::cout << kDone << "\n";
    return kExitOk;
}

int RunImport(const Options& o)
{
    const std::string& file = o.positional[0];
    std::string bytes;
    const DWORD read = platform::ReadFileWithin(file, kMaxImportBytes, platform::OverLimit::Refuse, bytes);
    if (read == ERROR_FILE_TOO_LARGE)
        return Fail(kExitFailed, file + " is larger than 256 MiB");
    if (read != ERROR_SUCCESS)
        return FailStore(static_cast<LONG>(read), "cannot read " + file);

    platform::RegFileDocument doc;
    platform::RegFileError error;
    if (!platform::ParseRegFile(bytes, doc, error))
        return Fail(kExitFailed, file + (error.line > 0 ? ":" + std::to_string(error.line) : std::string()) + ": " +
                                     error.message);
    // Every key is checked before anything is changed.
    std::vector<KeyName> keys;
    for (const platform::RegFileKey& k : doc.keys) {
        KeyName key;
        if (!ParseKeyName(k.path, key))
            return Fail(kExitFailed, file + ":" + std::to_string(k.line) + ": '" + k.path +
                                         "' does not start with a root (HKEY_LOCAL_MACHINE, ...)");
        if (k.remove && key.path.empty())
            return Fail(kExitFailed, file + ":" + std::to_string(k.line) + ": a root key cannot be deleted");
        keys.push_back(key);
    }
    for (std::size_t i = 0; i < doc.keys.size(); ++i) {
        std::string what;
        const LONG st = ApplyKey(doc.keys[i], keys[i], what);
        if (st != ERROR_SUCCESS)
            return FailStore(st, file + ": " + what);
    }
    std::cout << kDone << "\n";
    return kExitOk;
}

}  // namespace brelvoreg
