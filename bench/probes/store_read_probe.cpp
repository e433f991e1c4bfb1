// The smallest program that does what a not-due notifier run must do: open
// the store and read one value. The baseline of the start-up benchmark.
#include "platform/advapi32/Registry.h"
#include "platform/kernel32/WinError.h"
#include "update/BSURegistryLayout.h"

int main()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, szBSUNotificationKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 1;
    DWORD value = 0;
    DWORD type = 0;
    DWORD cb = sizeof value;
    const LONG rc = RegQueryValueExA(key, szBSUStatusValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? 0 : 2;
}
