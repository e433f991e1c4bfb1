// Start-up of one log subsystem: its flags word from the log-level key.
#include "CustomCode/Common/cmLog.h"

#include "CustomCode/Common/cmRegistryKey.h"
#include "CustomCode/Common/cmRegistryLayout.h"

// The program's own definition, where it has one, wins over this one.
__attribute__((weak)) bool cmLogCreatesMissingSwitches() { return true; }

DWORD cmLogStartSubsystem(LPCSTR szName, LPCSTR szLogFile)
{
    // The memory ring exists, empty, before the first subsystem reads its flags.
    cmLogToInMemoryStore::GetStoredLine(0);

    DWORD dwFlags = 0;
    const bool bCreate = cmLogCreatesMissingSwitches();
    {
        cmRegistryKey key(HKEY_LOCAL_MACHINE, szAppLogLevelsKey,
                          bCreate ? cmRegistryCreate::CreateMissing : cmRegistryCreate::OpenExisting);
        dwFlags = key.QueryDword(szName);
        if (key.GetStatus() != ERROR_SUCCESS && !bCreate) {
            dwFlags = 0;
        } else if (key.GetStatus() != ERROR_SUCCESS) {
            // Missing, of another type, or no key: logging stays off for this
            // subsystem, and 0 is stored so that the switch can be found. A
            // failing write (a read-only store) changes nothing.
            dwFlags = 0;
            cmRegistryKey writable = key.GetWritableCopy();
            writable.SetDword(szName, 0);
        }
    }
    cmLogRegisterSinks(dwFlags, szLogFile);
    return dwFlags;
}
