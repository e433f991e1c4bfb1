// cmWinfo: system information the common library offers: the operating
// system's name and version test, well-known folders, path assembly, the
// folder of driver set-up files, the session test and the working folder.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/SystemInfo.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

class cmWinfo {
public:
    // The Windows release name with a trailing blank ("Microsoft Windows XP "),
    // or the empty text on any other system or release.
    static cmString GetWinOpSys();
    // The name of a given platform id and version, as GetWinOpSys uses it.
    static cmString WinOpSysName(DWORD dwPlatformId, DWORD dwMajor, DWORD dwMinor);
    // True on the NT platform when the running version is higher than
    // major.minor, or equal with a service pack of at least nServicePack.
    static bool IsVersionAtLeast(DWORD dwMajor, DWORD dwMinor, LONG nServicePack);

    // Well-known folders: the store's value when it has one, else (for the
    // user's own folders) the XDG user directory; empty when neither says.
    static cmString GetDesktopFolder();
    static cmString GetProgramsFolder();
    // A named folder of the default user.
    static cmString GetDefaultUserFolder(LPCSTR szName);
    static cmString GetDevicePath();
    static cmString GetCommonFilesDir();
    // These two end with the separator.
    static cmString GetProgramFilesDir();
    static cmString GetSystemRoot();
    // The user's locale number and its name.
    static cmString GetLocale();
    static cmString GetLocaleName();

    // ERROR_SUCCESS when the path exists, else the Win32 error; E_INVALIDARG
    // for an empty path.
    static HRESULT GetFilePath(LPCSTR szFilePath);
    // szFilePath, one separator (only when needed) and szFileName.
    static HRESULT CreateFullQualPath(LPCSTR szFileName, LPCSTR szFilePath, cmString& szFullPath);
    // "DevicePath" when it exists, else SystemRoot + "INF" when that exists;
    // E_FAIL when neither does.
    static HRESULT GetINFFolder(cmString& szFolder);
};

// Whether this process runs in the session of the user at the console (on
// Linux: logind says its login session is the active one of its seat). True
// without logind (nothing to ask, as on Windows without session functions),
// false for a process of no session or of a session at no seat. Traced as
// "cmIsProcessInActiveConsoleSession" with the session ids.
bool cmIsProcessInActiveConsoleSession();
// The same decision and traces for a session as logind described it.
bool cmIsInActiveConsoleSession(const platform::LoginSession& session);

// The working folder (at most 260 characters).
HRESULT cmGetWorkingFolder(cmString& szFolder);
// E_INVALIDARG for a path that cannot be entered (missing, not a folder, no
// right), E_FAIL for other failures.
HRESULT cmSetWorkingFolder(LPCSTR szFolder);
