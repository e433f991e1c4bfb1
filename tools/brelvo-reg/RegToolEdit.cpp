// brelvo-reg add and delete.
#include "platform/kernel32/WinError.h"
#include "tools/brelvo-reg/RegTool.h"

#include <iostream>

namespace brelvoreg {

namespace {

constexpr const char* kDone = "The operation completed successfully.";

int ParseKeyOperand(const Options& o, KeyName& key)
{
    if (!ParseKeyName(o.positional[0], key))
        return Fail(kExitUsage, "'" + o.positional[0] + "' does not start with a root (HKLM, HKCU, HKU, HKCR)");
    return kExitOk;
}

std::string ShownName(const std::string& name) { return name.empty() ? std::string("(Default)") : name; }

}  // namespace

int RunAdd(const Options& o)
{
    KeyName key;
    if (const int st = ParseKeyOperand(o, key); st != kExitOk)
        return st;
    // Without /v or /ve, /t or /d set the default value, as reg does; with
    // none of them only the key is made.
    const bool setsValue = o.hasValueName || o.defaultValue || o.hasType || o.hasData;
    DWORD type = REG_SZ;
    if (o.hasType && !TypeFromName(o.type, type))
        return Fail(kExitUsage, "unknown or unsupported type '" + o.type + "'");
    if (o.hasSeparator && type != REG_MULTI_SZ)
        return Fail(kExitUsage, "/s SEPARATOR is only for REG_MULTI_SZ");
    std::vector<BYTE> data;
    std::string reason;
    if (setsValue && !DataFromText(type, o.data, o.separator, data, reason))
        return Fail(kExitUsage, reason);

    HKEY h = nullptr;
    LONG st = RegCreateKeyExA(key.root, key.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &h, nullptr);
    if (st != ERROR_SUCCESS)
        return FailStore(st, "cannot create " + key.Full());
    int status = kExitOk;
    if (setsValue) {
        const std::string name = o.hasValueName ? o.valueName : std::string();
        const bool exists = RegQueryValueExA(h, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        if (exists && !o.force && !Confirm("Value " + ShownName(name) + " exists, overwrite")) {
            status = Fail(kExitFailed, "cancelled: the value " + ShownName(name) + " was not changed");
        } else {
            st = RegSetValueExA(h, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
            if (st != ERROR_SUCCESS)
                status = FailStore(st, "cannot set " + ShownName(name) + " under " + key.Full());
        }
    }
    RegCloseKey(h);
    if (status == kExitOk)
        std::cout << kDone << "\n";
    return status;
}

int RunDelete(const Options& o)
{
    KeyName key;
    if (const int st = ParseKeyOperand(o, key); st != kExitOk)
        return st;
    const bool oneValue = o.hasValueName || o.defaultValue;
    const std::string name = o.hasValueName ? o.valueName : std::string();

    if (!oneValue && !o.allValues) {
        if (key.path.empty())
            return Fail(kExitUsage, "a root key cannot be deleted");
        if (!o.force && !Confirm("Permanently delete the registry key " + key.Full()))
            return Fail(kExitFailed, "cancelled: the key " + key.Full() + " was not deleted");
        const LONG st = RegDeleteTreeA(key.root, key.path.c_str());
        if (st == ERROR_FILE_NOT_FOUND)
            return Fail(kExitFailed, "the key " + key.Full() + " does not exist");
        if (st != ERROR_SUCCESS)
            return FailStore(st, "cannot delete " + key.Full());
        std::cout << kDone << "\n";
        return kExitOk;
    }

    HKEY h = nullptr;
    LONG st = RegOpenKeyExA(key.root, key.path.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &h);
    if (st == ERROR_FILE_NOT_FOUND)
        return Fail(kExitFailed, "the key " + key.Full() + " does not exist");
    if (st != ERROR_SUCCESS)
        return FailStore(st, "cannot open " + key.Full());
    int status = kExitOk;
    const std::string question = oneValue ? "Delete the registry value " + ShownName(name)
                                          : "Delete all values under the registry key " + key.Full();
    if (!o.force && !Confirm(question)) {
        status = Fail(kExitFailed, "cancelled: nothing was deleted");
    } else if (oneValue) {
        st = RegDeleteValueA(h, name.c_str());
        if (st == ERROR_FILE_NOT_FOUND)
            status = Fail(kExitFailed, "the value " + ShownName(name) + " does not exist under " + key.Full());
        else if (st != ERROR_SUCCESS)
            status = FailStore(st, "cannot delete " + ShownName(name) + " under " + key.Full());
    } else {
        std::vector<ValueItem> values;
        st = ReadValues(h, values);
        for (std::size_t i = 0; st == ERROR_SUCCESS && i < values.size(); ++i) {
            st = RegDeleteValueA(h, values[i].name.c_str());
            if (st == ERROR_FILE_NOT_FOUND)
                st = ERROR_SUCCESS;  // gone already
        }
        if (st != ERROR_SUCCESS)
            status = FailStore(st, "cannot delete the values under " + key.Full());
    }
    RegCloseKey(h);
    if (status == kExitOk)
        std::cout << kDone << "\n";
    return status;
}

}  // namespace brelvoreg
