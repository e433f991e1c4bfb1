// brelvo-reg: the registry store from the command line, with the syntax of
// the Windows reg command (query, add, delete, export, import). What the
// commands share: the parsed command line, key names, value reading and
// formatting, and the exit statuses (0 done, 1 missing key or value or
// refused by the store, 2 bad usage) with a one-line message on stderr.
#pragma once

#include "platform/advapi32/Registry.h"

#include <string>
#include <vector>

namespace brelvoreg {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The command line after the command word.
struct Options {
    std::vector<std::string> positional;
    bool hasValueName = false;  // /v NAME
    std::string valueName;
    bool defaultValue = false;  // /ve
    bool allValues = false;     // /va
    bool recursive = false;     // /s (query)
    bool force = false;         // /f
    bool overwriteFile = false; // /y
    bool hasType = false;       // /t TYPE
    std::string type;
    bool hasData = false;       // /d DATA
    std::string data;
    bool hasSeparator = false;  // /s SEPARATOR (add)
    std::string separator;
};

// A key named on the command line or in a file: "HKLM\SOFTWARE\X".
struct KeyName {
    HKEY root = nullptr;
    std::string rootName;  // the full name: HKEY_LOCAL_MACHINE
    std::string path;      // below the root, without a trailing backslash; may be empty

    std::string Full() const { return path.empty() ? rootName : rootName + "\\" + path; }
};

struct ValueItem {
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

// Prints "brelvo-reg: <message>" on stderr and gives the status back.
int Fail(int status, const std::string& message);
// What a Win32 status from the store means, in words.
std::string ErrorText(LONG status);
// The exit status for a failed store call: 1 (missing, refused, damaged).
int FailStore(LONG status, const std::string& what);
// Asks on stdout and reads a line from stdin; true for an answer starting with y.
bool Confirm(const std::string& question);

// Parses "HKLM\PATH" (HKLM, HKCU, HKU, HKCR or their full names, any case).
bool ParseKeyName(const std::string& text, KeyName& out);
// The key's path with the case the store keeps (for export); ERROR_FILE_NOT_FOUND if missing.
LONG StoredKeyName(const KeyName& key, KeyName& stored);

// Reading through an open key; every value or sub-key whole, in store order.
LONG ReadValue(HKEY key, const std::string& name, ValueItem& out);
LONG ReadValues(HKEY key, std::vector<ValueItem>& out);
LONG ReadSubKeys(HKEY key, std::vector<std::string>& out);

// "REG_DWORD" and the like; an unnamed type as its number ("0x20").
std::string TypeName(DWORD type);
// A type from its name; false for names reg does not accept with /t.
bool TypeFromName(const std::string& name, DWORD& type);
// The data as reg query shows it.
std::string DisplayData(const ValueItem& v);
// The bytes to store for /d DATA of the type; false with a reason for bad data.
bool DataFromText(DWORD type, const std::string& text, const std::string& separator, std::vector<BYTE>& out,
                  std::string& reason);

int RunQuery(const Options& o);
int RunAdd(const Options& o);
int RunDelete(const Options& o);
int RunExport(const Options& o);
int RunImport(const Options& o);

}  // namespace brelvoreg
