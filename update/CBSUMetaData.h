// CBSUMetaData: the waiting update as the dialogs see it. PopulateMe turns the
// one registry value "NewUpdate" into the update folder, the installer
// command, the description and details page in the user's language and the
// picture path, and forgets an update whose folder is unusable. The same
// object launches the installer, ignores the update at the user's request
// and deletes the folders of updates that are done with.
//
// The update dialog owns one, populates it while it initialises and reads the
// fields directly. Everything runs on the notifier's main thread.
#pragma once

#include "CustomCode/Common/cmBuffer.h"
#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

class CBSUMetaData {
public:
    CBSUMetaData();
    virtual ~CBSUMetaData();

    // Fills every field for the update named by "NewUpdate", first deleting
    // the folder of an update finished earlier. S_OK when there is an update
    // to show; E_FAIL when it was unusable and has been forgotten;
    // E_UNEXPECTED when there is none or the earlier folder could not be
    // deleted (then nothing is shown this time).
    HRESULT PopulateMe();
    // Whether the update folder holds at least one file directly (sub-folders
    // and dot names do not count).
    bool Validate_RegKeyFolder();
    // Whether both the update folder and its "Update.cfg" exist.
    bool Validate_ConfigFileExists();
    // True when both validations hold; otherwise empties "NewUpdate", removes
    // the update folder if it is empty, and returns false.
    bool BSUResetOnMissingData();
    // Sets szPathToJPG: <folder>/UpdateDetails_<Language text>/images/top.jpg.
    void MakePathToJPG();

    // Starts the installer ("Update.cfg"'s command in the update folder) and
    // waits, serving the thread's window messages, for its completion report.
    // Installed: "NewUpdate" is emptied and the folder named for deletion on a
    // later run. Left: nothing changes. Failed (also when the installer cannot
    // be started, or ends without a report): the failure is counted, and the
    // third counted failure in a row gives the update up. S_OK, E_FAIL for a
    // counted failure, E_UNEXPECTED when there is nothing to start or the
    // update folder cannot be entered.
    HRESULT InvokeUpdate(void* hWndParent);

    // Ignores the update: records the versions of its products, empties
    // "NewUpdate", deletes the folder now, and sets "RetryCount" to 0.
    HRESULT ProcessIgnoreUpdate();
    // Records the versions listed in the update's "Update.cfg"; always S_OK.
    HRESULT InvokeAppVersionUpdates();
    // Reads szConfigPath and writes each product's "Version"; E_UNEXPECTED
    // when the file cannot be opened, closed or read.
    HRESULT CreateConfigFile(LPCSTR szConfigPath);
    // Writes "Version" under the product's key when that key exists; S_OK.
    HRESULT WriteProductVersion(const cmString& szName, const cmString& szVersion);
    // Empties "NewUpdate"; S_OK.
    HRESULT PurgeUpdateInformation();
    // Names a folder for deletion on a later run ("LocationLastUpdate"), when
    // the Notification key exists; S_OK.
    HRESULT CacheCurrentSetupFilder(LPCSTR szFolder);
    // Deletes the folder named by "LocationLastUpdate" and empties the value,
    // whether the deletion worked or not; S_OK when there was nothing to
    // delete or it is gone, else the failure of DestroyFolder.
    HRESULT PurgeInstallFolder();
    // Deletes a folder and everything below it, never following a symbolic
    // link. E_FAIL when it fails, and for an empty or relative path and the
    // root folder, so that a damaged value can never wipe a disk.
    HRESULT DestroyFolder(LPCSTR szFolder);

    // "Update.cfg" inside the update folder, joined without looking at the
    // folder's last character.
    cmString GetPathToConfigFile() const;

    cmString szPathToUpdate;
    cmString szAppToLaunch;
    cmBuffer bufDescription;
    cmString szHTMLDescriptionPath;
    cmString szPathToJPG;
};
