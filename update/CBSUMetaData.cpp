#include "update/CBSUMetaData.h"

#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmListFiles.h"
#include "CustomCode/Common/cmRegistryKey.h"
#include "Notifier/Retail/Common/tcConfigFileData.h"
#include "platform/kernel32/PathApi.h"
#include "platform/shell/ShellPath.h"
#include "update/BSURegistryLayout.h"
#include "update/NotifierLanguage.h"

namespace {

constexpr char kConfigFileName[] = "Update.cfg";
constexpr char kDetailsFolderPrefix[] = "UpdateDetails_";
constexpr char kPictureInDetailsFolder[] = "images/top.jpg";

}  // namespace

CBSUMetaData::CBSUMetaData() = default;

CBSUMetaData::~CBSUMetaData() = default;

cmString CBSUMetaData::GetPathToConfigFile() const
{
    cmString szPath = szPathToUpdate;
    szPath += kPathSeparator;
    szPath += kConfigFileName;
    return szPath;
}

HRESULT CBSUMetaData::PopulateMe()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::PopulateMe");
    HRESULT hr = [this]() -> HRESULT {
        // The folder of an update finished earlier goes first, whatever follows.
        const HRESULT hrPurge = PurgeInstallFolder();

        szPathToUpdate = cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUUpdaterKey).QueryString(szBSUNewUpdateValue);
        CM_CHECK_STATE(this->szPathToUpdate.GetLengthInTchars()!=0);

        if (!BSUResetOnMissingData()) {
            szPathToUpdate.Empty();
            return E_FAIL;
        }

        // A file that cannot be parsed leaves the fields empty, or filled as
        // far as it was read; an empty command shows when installing.
        tcConfigFileData config;
        config.ReadFile(GetPathToConfigFile());

        HRESULT hr = hrPurge;
        CM_CHECK_STATE(hr==S_OK);

        config.GetCommand(szAppToLaunch);
        // Description and details page are looked up for exactly the
        // notifier's language; no other language stands in.
        const LANGID wLanguage = GetNotifierLanguage();
        config.GetDesc(wLanguage, bufDescription);
        tcHTMLDescriptionFolderList htmlPaths;
        config.GetHTMLDescriptionFolderList(htmlPaths);
        const auto it = htmlPaths.find(wLanguage);
        szHTMLDescriptionPath = it != htmlPaths.end() ? it->second : cmString();
        MakePathToJPG();
        return S_OK;
    }();
    CM_TRACE_RETURN(hr);
}

bool CBSUMetaData::Validate_RegKeyFolder()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::Validate_RegKeyFolder");
    // One file is enough to know, so the listing stops at the first.
    cmListFiles files;
    if (files.Collect(szPathToUpdate, "*.*", cmListRecurse::No, 1) > 0)
        CM_TRACE_RETURN_AS("TRUE", true);
    CM_TRACE_RETURN_AS("FALSE", false);
}

bool CBSUMetaData::Validate_ConfigFileExists()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::Validate_ConfigFileExists");
    bool BResult = false;
    const cmString szPathToConfigFile = GetPathToConfigFile();
    if (!PathFileExistsA(szPathToUpdate))
        CM_TRACE_WARNING("host folder %s not found \n", szPathToUpdate.GetText());
    else if (!PathFileExistsA(szPathToConfigFile))
        CM_TRACE_WARNING("config file %s not found \n", szPathToConfigFile.GetText());
    else
        BResult = true;
    CM_TRACE_RETURN(BResult);
}

bool CBSUMetaData::BSUResetOnMissingData()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::BSUResetOnMissingData");
    // Both tests run, so both can report what is missing.
    const bool bFolder = Validate_RegKeyFolder();
    const bool bConfig = Validate_ConfigFileExists();
    if (bFolder && bConfig)
        CM_TRACE_RETURN_AS("TRUE", true);

    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUUpdaterKey);
    key.UpgradeSam(GENERIC_ALL);
    key.SetString(szBSUNewUpdateValue, cmString(""));
    CM_TRACE_WARNING("Reg Keyvalue %s cleared \n", szBSUNewUpdateValue);
    // Removes the folder only when it is empty; a folder with files stays.
    RemoveDirectoryA(szPathToUpdate);
    CM_TRACE_RETURN_AS("FALSE", false);
}

void CBSUMetaData::MakePathToJPG()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "MakePathToJPG");
    // The text exactly as stored: it names the details folder, not a number.
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotifierKey);
    key.UpgradeSam(GENERIC_ALL);
    const cmString szLanguage = key.QueryString(szBSULanguageValue);

    auto appendSeparator = [&]() {
        const DWORD n = szPathToJPG.GetLengthInTchars();
        if (n == 0 || szPathToJPG[static_cast<LONG>(n - 1)] != kPathSeparator) {
            CM_TRACE_INFO("Adding Slash to szPathToJPG");
            szPathToJPG += kPathSeparator;
        }
    };
    szPathToJPG = szPathToUpdate;
    appendSeparator();
    szPathToJPG += kDetailsFolderPrefix;
    szPathToJPG += szLanguage;
    appendSeparator();
    szPathToJPG += kPictureInDetailsFolder;
}
