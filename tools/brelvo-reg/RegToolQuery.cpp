// brelvo-reg query: keys and values in the layout of reg query.
#include "platform/advapi32/RegistryStore.h"
#include "platform/kernel32/WinError.h"
#include "tools/brelvo-reg/RegTool.h"

#include <iostream>

namespace brelvoreg {

namespace {

constexpr const char* kIndent = "    ";

void PrintValue(const ValueItem& v)
{
    std::cout << kIndent << (v.name.empty() ? std::string("(Default)") : v.name) << kIndent << TypeName(v.type)
              << kIndent << DisplayData(v) << "\n";
}

// Opens a key for reading, with the tool's message when that fails.
int OpenForQuery(const KeyName& key, HKEY& h)
{
    const LONG st = RegOpenKeyExA(key.root, key.path.c_str(), 0, KEY_READ, &h);
    if (st == ERROR_FILE_NOT_FOUND)
        return Fail(kExitFailed, "the key " + key.Full() + " does not exist");
    if (st != ERROR_SUCCESS)
        return FailStore(st, "cannot open " + key.Full());
    return kExitOk;
}

// Every key from this one down: its line, its values, a blank line.
// With a value name, only the keys that hold it (matches counts them).
LONG PrintTree(HKEY h, const std::string& full, const std::string* only, int& matches)
{
    std::vector<ValueItem> values;
    LONG st = ReadValues(h, values);
    if (st != ERROR_SUCCESS)
        return st;
    bool printedKey = false;
    for (const ValueItem& v : values) {
        if (only != nullptr && platform::FoldRegistryName(v.name) != platform::FoldRegistryName(*only))
            continue;
        if (!printedKey)
            std::cout << full << "\n";
        printedKey = true;
        PrintValue(v);
        ++matches;
    }
    if (only == nullptr && !printedKey)
        std::cout << full << "\n";
    if (printedKey || only == nullptr)
        std::cout << "\n";

    std::vector<std::string> subKeys;
    if ((st = ReadSubKeys(h, subKeys)) != ERROR_SUCCESS)
        return st;
    for (const std::string& name : subKeys) {
        HKEY sub = nullptr;
        st = RegOpenKeyExA(h, name.c_str(), 0, KEY_READ, &sub);
        if (st == ERROR_FILE_NOT_FOUND || st == ERROR_KEY_DELETED)
            continue;  // removed by another program while we list
        if (st != ERROR_SUCCESS)
            return st;
        st = PrintTree(sub, full + "\\" + name, only, matches);
        RegCloseKey(sub);
        if (st != ERROR_SUCCESS)
            return st;
    }
    return ERROR_SUCCESS;
}

}  // namespace

int RunQuery(const Options& o)
{
    KeyName key;
    if (!ParseKeyName(o.positional[0], key))
        return Fail(kExitUsage, "'" + o.positional[0] + "' does not start with a root (HKLM, HKCU, HKU, HKCR)");
    HKEY h = nullptr;
    if (const int st = OpenForQuery(key, h); st != kExitOk)
        return st;
    const bool oneValue = o.hasValueName || o.defaultValue;
    const std::string name = o.defaultValue ? std::string() : o.valueName;
    int status = kExitOk;

    if (o.recursive) {
        int matches = 0;
        std::cout << "\n";
        const LONG st = PrintTree(h, key.Full(), oneValue ? &name : nullptr, matches);
        if (st != ERROR_SUCCESS)
            status = FailStore(st, "cannot read " + key.Full());
        else if (oneValue) {
            std::cout << "End of search: " << matches << " match(es) found.\n";
            if (matches == 0)
                status = kExitFailed;
        }
    } else if (oneValue) {
        ValueItem v;
        const LONG st = ReadValue(h, name, v);
        if (st == ERROR_FILE_NOT_FOUND)
            status = Fail(kExitFailed, "the value " + (name.empty() ? std::string("(Default)") : name) +
                                           " does not exist under " + key.Full());
        else if (st != ERROR_SUCCESS)
            status = FailStore(st, "cannot read " + key.Full());
        else {
            std::cout << "\n" << key.Full() << "\n";
            PrintValue(v);
            std::cout << "\n";
        }
    } else {
        std::vector<ValueItem> values;
        std::vector<std::string> subKeys;
        LONG st = ReadValues(h, values);
        if (st == ERROR_SUCCESS)
            st = ReadSubKeys(h, subKeys);
        if (st != ERROR_SUCCESS) {
            status = FailStore(st, "cannot read " + key.Full());
        } else {
            std::cout << "\n";
            if (!values.empty()) {
                std::cout << key.Full() << "\n";
                for (const ValueItem& v : values)
                    PrintValue(v);
                std::cout << "\n";
            }
            for (const std::string& s : subKeys)
                std::cout << key.Full() << "\\" << s << "\n";
        }
    }
    RegCloseKey(h);
    return status;
}

}  // namespace brelvoreg
