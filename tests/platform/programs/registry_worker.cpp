// registry_worker: a separate process that uses the registry store the way
// the notifier's neighbours do, for the tests that need several processes.
//
//   registry_worker mixed ID COUNT   COUNT mixed writes and reads on values of
//                                    its own and values shared with the other
//                                    workers; prints its last writes
//                                    ("own NAME DATA", "shared NAME DATA").
//   registry_worker burst FIRST      writes B<k> = k for k = FIRST, FIRST+1, ...
//                                    until killed, printing k after each write
//                                    that returned success.
//   registry_worker readonly NAME DATA
//                                    expects a store it may only read: the value
//                                    NAME under SOFTWARE\Probe reads as DATA and
//                                    every kind of write fails with 5.
//
// Exit status 0 when every call behaved, 1 otherwise (the failing call is
// printed on stderr), 2 for bad arguments.
#include "platform/advapi32/Registry.h"
#include "platform/kernel32/WinError.h"

#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

int g_failures = 0;

void Check(bool ok, const std::string& what)
{
    if (!ok) {
        ++g_failures;
        std::cerr << "registry_worker: " << what << "\n";
    }
}

void Expect(LONG st, LONG expected, const std::string& what)
{
    Check(st == expected, what + " gave " + std::to_string(st) + ", expected " + std::to_string(expected));
}

HKEY CreateKey(const std::string& path)
{
    HKEY h = nullptr;
    Expect(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
           ERROR_SUCCESS, "RegCreateKeyExA " + path);
    return h;
}

HKEY OpenKey(const std::string& path, REGSAM sam)
{
    HKEY h = nullptr;
    Expect(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, sam, &h), ERROR_SUCCESS, "RegOpenKeyExA " + path);
    return h;
}

void SetText(HKEY h, const std::string& name, const std::string& text)
{
    Expect(RegSetValueExA(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)),
           ERROR_SUCCESS, "RegSetValueExA " + name);
}

// The text, or the status as "#<n>" when the read fails.
std::string GetText(HKEY h, const std::string& name)
{
    char buf[256] = {};
    DWORD cb = sizeof buf - 1;
    const LONG st = RegQueryValueExA(h, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &cb);
    if (st != ERROR_SUCCESS)
        return "#" + std::to_string(st);
    return std::string(buf);
}

void SetDword(HKEY h, const std::string& name, DWORD v)
{
    Expect(RegSetValueExA(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v), ERROR_SUCCESS,
           "RegSetValueExA " + name);
}

DWORD GetDword(HKEY h, const std::string& name)
{
    DWORD v = 0xDEADBEEF, cb = sizeof v;
    Expect(RegQueryValueExA(h, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &cb), ERROR_SUCCESS,
           "RegQueryValueExA " + name);
    return v;
}

int Mixed(int id, int count)
{
    const std::string own = "SOFTWARE\\Mix\\P" + std::to_string(id);
    const std::string shared = "SOFTWARE\\Mix\\Shared";
    RegCloseKey(CreateKey(own));
    RegCloseKey(CreateKey(shared));
    std::map<std::string, std::string> ownLast, sharedLast;
    std::map<std::string, DWORD> dwordLast;
    for (int k = 0; k < count; ++k) {
        const std::string stamp = std::to_string(id) + ":" + std::to_string(k);
        switch (k % 10) {
        case 0:
        case 1:
        case 2: {  // a value of our own, opened anew as the notifier does
            HKEY h = OpenKey(own, KEY_READ | KEY_WRITE);
            const std::string name = "V" + std::to_string(k % 7);
            SetText(h, name, stamp);
            ownLast[name] = stamp;
            RegCloseKey(h);
            break;
        }
        case 3: {  // our own last write must read back
            HKEY h = OpenKey(own, KEY_READ);
            const std::string name = "V" + std::to_string((k - 1) % 7);
            Check(GetText(h, name) == ownLast[name], "read-back of " + name + " gave " + GetText(h, name));
            RegCloseKey(h);
            break;
        }
        case 4:
        case 5: {  // values every worker writes
            HKEY h = OpenKey(shared, GENERIC_ALL);
            const std::string name = "S" + std::to_string((k / 10) % 5);
            SetText(h, name, stamp);
            sharedLast[name] = stamp;
            RegCloseKey(h);
            break;
        }
        case 6: {  // a shared value we wrote is there, with some worker's text
            HKEY h = OpenKey(shared, KEY_READ);
            const std::string name = "S" + std::to_string((k / 10) % 5);  // written at k - 2
            const std::string text = GetText(h, name);
            Check(text.find(':') != std::string::npos, "shared " + name + " reads as " + text);
            RegCloseKey(h);
            break;
        }
        case 7: {  // keys that every worker creates at once
            HKEY h = CreateKey(shared + "\\K" + std::to_string(k % 3));
            const std::string name = "C" + std::to_string(id);
            SetDword(h, name, static_cast<DWORD>(k));
            dwordLast["K" + std::to_string(k % 3) + "\\" + name] = static_cast<DWORD>(k);
            RegCloseKey(h);
            break;
        }
        case 8: {
            HKEY h = OpenKey(own, KEY_ALL_ACCESS);
            SetDword(h, "N", static_cast<DWORD>(k));
            Check(GetDword(h, "N") == static_cast<DWORD>(k), "counter N did not read back");
            dwordLast["N"] = static_cast<DWORD>(k);
            RegCloseKey(h);
            break;
        }
        default: {  // list the shared values while others change them
            HKEY h = OpenKey(shared, KEY_READ);
            char name[64];
            LONG st = ERROR_SUCCESS;
            for (DWORD i = 0; st == ERROR_SUCCESS; ++i) {
                DWORD cch = sizeof name;
                st = RegEnumValueA(h, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
            }
            Expect(st, ERROR_NO_MORE_ITEMS, "RegEnumValueA on the shared key");
            RegCloseKey(h);
            break;
        }
        }
    }
    for (const auto& [n, v] : ownLast)
        std::cout << "own " << n << " " << v << "\n";
    for (const auto& [n, v] : sharedLast)
        std::cout << "shared " << n << " " << v << "\n";
    for (const auto& [n, v] : dwordLast)
        std::cout << "dword " << n << " " << v << "\n";
    std::cout << std::flush;
    return g_failures == 0 ? 0 : 1;
}

int Burst(long first)
{
    HKEY h = CreateKey("SOFTWARE\\Burst");
    for (long k = first;; ++k) {
        const DWORD v = static_cast<DWORD>(k);
        const std::string name = "B" + std::to_string(k);
        const LONG st = RegSetValueExA(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
        if (st != ERROR_SUCCESS) {
            std::cerr << "registry_worker: write " << k << " failed with " << st << "\n";
            return 1;
        }
        std::cout << k << "\n" << std::flush;
    }
}

int ReadOnly(const std::string& name, const std::string& data)
{
    HKEY h = nullptr;
    Expect(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Probe", 0, KEY_READ, &h), ERROR_SUCCESS, "open for reading");
    Check(GetText(h, name) == data, "the value reads as " + GetText(h, name));
    char sub[64];
    Expect(RegEnumKeyA(HKEY_LOCAL_MACHINE, 0, sub, sizeof sub), ERROR_SUCCESS, "RegEnumKeyA on the root");
    const BYTE one[1] = {1};
    Expect(RegSetValueExA(h, "x", 0, REG_BINARY, one, 1), ERROR_ACCESS_DENIED, "write through a KEY_READ handle");
    RegCloseKey(h);
    for (REGSAM sam : {KEY_WRITE, KEY_SET_VALUE, static_cast<REGSAM>(GENERIC_ALL), KEY_ALL_ACCESS}) {
        HKEY w = nullptr;
        Expect(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Probe", 0, sam, &w), ERROR_ACCESS_DENIED,
               "open for writing with " + std::to_string(sam));
    }
    HKEY c = nullptr;
    Expect(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\New", 0, nullptr, 0, KEY_READ, nullptr, &c, nullptr),
           ERROR_ACCESS_DENIED, "create a key");
    Expect(RegSetValueExA(HKEY_LOCAL_MACHINE, "x", 0, REG_BINARY, one, 1), ERROR_ACCESS_DENIED, "write to the root");
    Expect(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Probe"), ERROR_ACCESS_DENIED, "delete a key");
    Check(GetText(h = OpenKey("SOFTWARE\\Probe", KEY_READ), name) == data, "the value changed");
    RegCloseKey(h);
    return g_failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (a.size() == 3 && a[0] == "mixed")
        return Mixed(std::atoi(a[1].c_str()), std::atoi(a[2].c_str()));
    if (a.size() == 2 && a[0] == "burst")
        return Burst(std::atol(a[1].c_str()));
    if (a.size() == 3 && a[0] == "readonly")
        return ReadOnly(a[1], a[2]);
    std::cerr << "usage: registry_worker mixed ID COUNT | burst FIRST | readonly NAME DATA\n";
    return 2;
}
