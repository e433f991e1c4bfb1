// The operations of CBSUMetaData that end an update's life: ignoring it,
// forgetting it after installation, and deleting update folders.
#include "update/CBSUMetaData.h"

#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmRegistryKey.h"
#include "Notifier/Retail/Common/tcConfigFileData.h"
#include "platform/advpack/SetupLibrary.h"
#include "platform/kernel32/DynamicLibrary.h"
#include "platform/kernel32/FileApi.h"
#include "platform/kernel32/PathApi.h"
#include "update/BSURegistryLayout.h"

#include <filesystem>

namespace {

// Paths that a recursive deletion must never be given: empty, relative, or
// the root folder however it is spelt.
bool IsSafeToDestroy(LPCSTR szFolder)
{
    if (szFolder == nullptr || szFolder[0] != kPathSeparator)
        return false;
    const std::filesystem::path normal = std::filesystem::path(szFolder).lexically_normal();
    return normal != normal.root_path();
}

}  // namespace

HRESULT CBSUMetaData::ProcessIgnoreUpdate()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::ProcessIgnoreUpdate");
    InvokeAppVersionUpdates();
    HRESULT hr = PurgeUpdateInformation();
    // The folder goes now, not on a later run.
    DestroyFolder(szPathToUpdate);
    CM_TRACE_WARNING("Update folder to be deleted NOW %s \n", szPathToUpdate.GetText());
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey, cmRegistryCreate::CreateMissing);
    key.UpgradeSam(GENERIC_ALL);
    key.SetDword(szBSURetryCountValue, 0);
    CM_TRACE_RETURN(hr);
}

HRESULT CBSUMetaData::InvokeAppVersionUpdates()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::InvokeAppVersionUpdates");
    CreateConfigFile(GetPathToConfigFile());
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

HRESULT CBSUMetaData::CreateConfigFile(LPCSTR szConfigPath)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::CreateConfigFile");
    HRESULT hr = [&]() -> HRESULT {
        HANDLE hfile = CreateFileA(szConfigPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        CM_CHECK_STATE(hfile !=INVALID_HANDLE_VALUE);
        const BOOL BCloseResult = CloseHandle(hfile);
        CM_CHECK_STATE(BCloseResult!=FALSE);

        tcConfigFileData config;
        HRESULT hr = config.ReadFile(szConfigPath);
        CM_CHECK_STATE(hr==S_OK);

        tcProductVersionList products;
        config.GetProductVersionList(products);
        for (const tcProductVersionInfo& product : products)
            hr = WriteProductVersion(product.GetName(), product.GetVersion());
        return hr;
    }();
    CM_TRACE_RETURN(hr);
}

HRESULT CBSUMetaData::WriteProductVersion(const cmString& szName, const cmString& szVersion)
{
    // Its lines carry the name of the operation that calls it for every product.
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::CreateConfigFile");
    // A product whose key does not exist gets nothing: its key is opened,
    // never made.
    cmString szKeyPath(szBSUUpdaterKey);
    szKeyPath += szBSUProductKeySeparator;
    szKeyPath += szName;
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szKeyPath);
    key.UpgradeSam(GENERIC_ALL);
    key.SetString(szBSUVersionValue, szVersion);
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

HRESULT CBSUMetaData::PurgeUpdateInformation()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::PurgeUpdateInformation");
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUUpdaterKey);
    key.UpgradeSam(GENERIC_ALL);
    key.SetString(szBSUNewUpdateValue, cmString(""));
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

HRESULT CBSUMetaData::CacheCurrentSetupFilder(LPCSTR szFolder)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::CacheCurrentSetupFilder");
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    key.UpgradeSam(GENERIC_ALL);
    key.SetString(szBSULocationLastUpdateValue, cmString(szFolder));
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

HRESULT CBSUMetaData::PurgeInstallFolder()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::PurgeInstallFolder");
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    key.UpgradeSam(GENERIC_ALL);
    const cmString szFolder = key.QueryString(szBSULocationLastUpdateValue);
    HRESULT hr = S_OK;
    if (!szFolder.IsEmpty()) {
        CM_TRACE_WARNING("Folder to be deleted %s \n", szFolder.GetText());
        hr = DestroyFolder(szFolder);
        if (hr != S_OK)
            CM_TRACE_WARNING("Folder to be deleted %s has failed to be deleted \n", szFolder.GetText());
        // Tried once: a folder that could not be deleted is not tried again.
        key.SetString(szBSULocationLastUpdateValue, cmString(""));
    }
    CM_TRACE_RETURN(hr);
}

HRESULT CBSUMetaData::DestroyFolder(LPCSTR szFolder)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::DestroyFolder");
    HRESULT hr = [&]() -> HRESULT {
        // A damaged or empty value must never reach the recursive deletion.
        if (!IsSafeToDestroy(szFolder)) {
            CM_TRACE_WARNING("Refusing to delete folder <%s> \n", szFolder != nullptr ? szFolder : "");
            return E_FAIL;
        }
        HMODULE hAdvpack = LoadLibraryA("advpack.dll");
        if (hAdvpack == nullptr) {
            CM_TRACE_WARNING("Unable to get a handle to the ADVPACk.DLL \n");
            return E_FAIL;
        }
        const auto pfnDelNode = reinterpret_cast<DELNODE>(GetProcAddress(hAdvpack, "DelNode"));
        if (pfnDelNode == nullptr) {
            CM_TRACE_WARNING("Unable to get a handle to the DELNODE, delete folder function in ADVPACk.DLL \n");
            FreeLibrary(hAdvpack);
            return E_FAIL;
        }
        const HRESULT hrDel = pfnDelNode(szFolder, ADN_DEFAULT);
        FreeLibrary(hAdvpack);
        if (hrDel != S_OK)
            return E_FAIL;
        CM_TRACE_WARNING("removed folder %s \n", szFolder);
        return S_OK;
    }();
    CM_TRACE_RETURN(hr);
}
