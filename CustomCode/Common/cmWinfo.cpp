#include "CustomCode/Common/cmWinfo.h"

#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmRegistryKey.h"
#include "platform/crt/Direct.h"
#include "platform/crt/TChar.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/FileFind.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/PathApi.h"
#include "platform/kernel32/SystemInfo.h"
#include "platform/shell/ShellPath.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kDefaultUserShellFolders[] = ".DEFAULT\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kInternational[] = "Control Panel\\International";
constexpr char kNlsLocale[] = "System\\CurrentControlSet\\Control\\Nls\\Locale";

cmString Read(HKEY hRoot, LPCSTR szKey, LPCSTR szValue) { return cmRegistryKey(hRoot, szKey).QueryString(szValue); }

cmString WithSeparator(cmString s)
{
    const DWORD n = s.GetLengthInTchars();
    if (n != 0 && s[static_cast<LONG>(n - 1)] != kPathSeparator)
        s += kPathSeparator;
    return s;
}

cmString StoreOrXdg(LPCSTR szValue, const char* xdgName, const char* homeFallback)
{
    cmString s = Read(HKEY_CURRENT_USER, kShellFolders, szValue);
    if (!s.IsEmpty())
        return s;
    std::string dir = platform::XdgUserDir(xdgName);
    if (dir.empty() && homeFallback != nullptr) {
        char home[4096] = {};
        if (GetEnvironmentVariableA("HOME", home, sizeof home) > 0)
            dir = std::string(home) + homeFallback;
    }
    return cmString(dir.c_str());
}

}  // namespace

cmString cmWinfo::WinOpSysName(DWORD dwPlatformId, DWORD dwMajor, DWORD dwMinor)
{
    if (dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && dwMajor == 4) {
        if (dwMinor == 0)
            return cmString("Microsoft Windows 95 ");
        if (dwMinor == 10)
            return cmString("Microsoft Windows 98 ");
        if (dwMinor == 90)
            return cmString("Microsoft Windows Millenium ");
    } else if (dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (dwMajor <= 4)
            return cmString("Microsoft Windows NT ");
        if (dwMajor == 5 && dwMinor == 0)
            return cmString("Microsoft Windows 2000 ");
        if (dwMajor == 5 && dwMinor == 1)
            return cmString("Microsoft Windows XP ");
    }
    return cmString("");
}

cmString cmWinfo::GetWinOpSys()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return cmString("");
    return WinOpSysName(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool cmWinfo::IsVersionAtLeast(DWORD dwMajor, DWORD dwMinor, LONG nServicePack)
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return false;
    if (info.dwMajorVersion != dwMajor)
        return info.dwMajorVersion > dwMajor;
    if (info.dwMinorVersion != dwMinor)
        return info.dwMinorVersion > dwMinor;
    long servicePack = 0;
    std::sscanf(info.szCSDVersion, "Service Pack %ld", &servicePack);
    return servicePack >= nServicePack;
}

cmString cmWinfo::GetDesktopFolder() { return StoreOrXdg("Desktop", "DESKTOP", "/Desktop"); }

cmString cmWinfo::GetProgramsFolder()
{
    cmString s = Read(HKEY_CURRENT_USER, kShellFolders, "Programs");
    if (!s.IsEmpty())
        return s;
    char dataHome[4096] = {};
    if (GetEnvironmentVariableA("XDG_DATA_HOME", dataHome, sizeof dataHome) > 0)
        return cmString(dataHome) + "/applications";
    char home[4096] = {};
    if (GetEnvironmentVariableA("HOME", home, sizeof home) > 0)
        return cmString(home) + "/.local/share/applications";
    return cmString("");
}

cmString cmWinfo::GetDefaultUserFolder(LPCSTR szName) { return Read(HKEY_USERS, kDefaultUserShellFolders, szName); }
cmString cmWinfo::GetDevicePath() { return Read(HKEY_LOCAL_MACHINE, kCurrentVersion, "DevicePath"); }
cmString cmWinfo::GetCommonFilesDir() { return Read(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir"); }
cmString cmWinfo::GetProgramFilesDir() { return WithSeparator(Read(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir")); }
cmString cmWinfo::GetSystemRoot() { return WithSeparator(Read(HKEY_LOCAL_MACHINE, kCurrentVersion, "SystemRoot")); }
cmString cmWinfo::GetLocale() { return Read(HKEY_CURRENT_USER, kInternational, "Locale"); }

cmString cmWinfo::GetLocaleName()
{
    const cmString szLocale = GetLocale();
    return szLocale.IsEmpty() ? cmString("") : Read(HKEY_LOCAL_MACHINE, kNlsLocale, szLocale);
}

HRESULT cmWinfo::GetFilePath(LPCSTR szFilePath)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmWinfo::GetFilePath");
    CM_CHECK_ARG(0 !=_tcslen(szFilePath));
    HRESULT hr = ERROR_SUCCESS;
    if (GetFileAttributesA(szFilePath) == INVALID_FILE_ATTRIBUTES) {
        const DWORD dwError = GetLastError();
        cmString szMessage;
        szMessage.FormatSystemMessage(dwError);
        CM_TRACE_WARNING("Failed extract attributes for file at path %s, Error is %s \n", szFilePath, szMessage.GetText());
        hr = static_cast<HRESULT>(dwError);
    }
    CM_TRACE_RETURN(hr);
}

HRESULT cmWinfo::CreateFullQualPath(LPCSTR szFileName, LPCSTR szFilePath, cmString& szFullPath)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmWinfo::CreateFullQualPath");
    CM_CHECK_ARG(szFileName!=NULL);
    CM_CHECK_ARG(szFilePath!=NULL);
    CM_TRACE_INFO("CreateFullQualPath:INFO, Step 1:copy into build path \n");
    cmString szPath(szFilePath);
    const DWORD n = szPath.GetLengthInTchars();
    if (n == 0 || szPath[static_cast<LONG>(n - 1)] != kPathSeparator) {
        CM_TRACE_INFO("CreateFullQualPath:INFO, Step 2: Append \\ to path \n");
        szPath += kPathSeparator;
    }
    CM_TRACE_INFO("CreateFullQualPath:INFO, Step 3: Complete path \n");
    szPath += szFileName;
    szFullPath = szPath;
    CM_TRACE_INFO("CreateFullQualPath:INFO, Fully qualified path is %s \n", szFullPath.GetText());
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

HRESULT cmWinfo::GetINFFolder(cmString& szFolder)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmWinfo::GetINFFolder");
    HRESULT hr = E_FAIL;
    const cmString szDevicePath = GetDevicePath();
    const cmString szRoot = GetSystemRoot();
    if (!szDevicePath.IsEmpty() && PathFileExistsA(szDevicePath)) {
        szFolder = szDevicePath;
        hr = S_OK;
    } else if (!szRoot.IsEmpty() && PathFileExistsA(szRoot + "INF")) {
        szFolder = szRoot + "INF";
        hr = S_OK;
    }
    if (hr == S_OK)
        CM_TRACE_WARNING("GetINFFolder:SUCCESS,  INF Folder is %s \n", szFolder.GetText());
    else
        CM_TRACE_WARNING("GetINFFolder:FAILED,  no INF Folder found \n");
    CM_TRACE_RETURN(hr);
}

bool cmIsProcessInActiveConsoleSession()
{
    return cmIsInActiveConsoleSession(platform::GetOwnLoginSession());
}

bool cmIsInActiveConsoleSession(const platform::LoginSession& session)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmIsProcessInActiveConsoleSession");
    using State = platform::LoginSessionState;
    bool bBool = false;
    if (session.state == State::NoLogind) {
        // No session functions to ask: every process counts as the console's.
        CM_TRACE_INFO("Must be Win9x");
        bBool = true;
    } else if (session.state != State::NoSession) {
        const int process = platform::SessionNumber(session.session);
        CM_TRACE_INFO("Process Session Id %d", process);
        if (!session.activeSession.empty())
            CM_TRACE_INFO("Active Console Session Id :%d, Process Session Id %d",
                          platform::SessionNumber(session.activeSession), process);
        bBool = session.state == State::Active;
    }
    CM_TRACE_RETURN(bBool);
}

HRESULT cmGetWorkingFolder(cmString& szFolder)
{
    char buffer[MAX_PATH + 1];
    if (_getcwd(buffer, sizeof buffer) == nullptr)
        return E_FAIL;
    szFolder = buffer;
    return S_OK;
}

HRESULT cmSetWorkingFolder(LPCSTR szFolder)
{
    if (szFolder == nullptr || *szFolder == '\0')
        return E_INVALIDARG;
    if (_chdir(szFolder) == 0)
        return S_OK;
    const DWORD dwError = GetLastError();
    const bool cannotEnter = dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND ||
                             dwError == ERROR_ACCESS_DENIED || dwError == ERROR_INVALID_NAME;
    return cannotEnter ? E_INVALIDARG : E_FAIL;
}
