// Ignoring an update, purging finished updates and deleting folders, with
// real folders and a real store.
#include "platform/kernel32/Environment.h"
#include "tests/support/LogCapture.h"
#include "tests/update/UpdateFolderFixture.h"
#include "update/CBSUMetaData.h"

#include <filesystem>
#include <string>

namespace {

class BSUCleanupTest : public testsupport::UpdateFolderTest {};

}  // namespace

TEST_F(BSUCleanupTest, IgnoringRecordsVersionsForExistingProductsAndDeletesTheUpdate)
{
    const std::string folder = MakeFolder("U1");
    WriteText(folder + "/setup.sh", "#!/bin/sh\n");
    WriteConfig(folder, {"setup.sh", {{"A", "2.0"}, {"B", "1.5"}}, {}, {}});
    SetNewUpdate(folder);
    const std::string keyA = std::string(szBSUUpdaterKey) + "\\A";
    const std::string keyB = std::string(szBSUUpdaterKey) + "\\B";
    SetText(keyA.c_str(), szBSUVersionValue, "1.0");
    ASSERT_EQ(WritableKey(szBSUNotificationKey).SetDword(szBSURetryCountValue, 2), ERROR_SUCCESS);

    testsupport::LogCapture log;
    CBSUMetaData data;
    ASSERT_EQ(data.PopulateMe(), S_OK);
    // An earlier update still waiting for deletion is not this one's business.
    SetText(szBSUNotificationKey, szBSULocationLastUpdateValue, "/kept/as/it/was");
    EXPECT_EQ(data.ProcessIgnoreUpdate(), S_OK);

    EXPECT_EQ(GetText(keyA.c_str(), szBSUVersionValue), "2.0");
    EXPECT_FALSE(KeyPresent(keyB.c_str())) << "no key is made for a product that has none";
    EXPECT_EQ(NewUpdate(), "");
    EXPECT_FALSE(Exists(folder));
    EXPECT_EQ(cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey).QueryDword(szBSURetryCountValue), 0u);
    EXPECT_EQ(GetText(szBSUNotificationKey, szBSULocationLastUpdateValue), "/kept/as/it/was");
    EXPECT_TRUE(log.Contains("CBSUMetaData::ProcessIgnoreUpdate: Update folder to be deleted NOW " + folder + " \n\n"));
    EXPECT_TRUE(log.Contains("CBSUMetaData::DestroyFolder: removed folder " + folder + " \n\n"));
}

TEST_F(BSUCleanupTest, IgnoringWithoutAReadableConfigurationStillForgetsTheUpdate)
{
    const std::string folder = MakeFolder("U2");
    WriteText(folder + "/Update.cfg", "short");
    CBSUMetaData data;
    data.szPathToUpdate = folder.c_str();
    testsupport::LogCapture log;
    EXPECT_EQ(data.CreateConfigFile(data.GetPathToConfigFile()), E_UNEXPECTED);
    EXPECT_TRUE(log.Contains("INVALID STATE: Evaluation of 'hr==S_OK' failed.  Returning E_UNEXPECTED.\n"));
    EXPECT_EQ(data.CreateConfigFile((Root() + "/missing.cfg").c_str()), E_UNEXPECTED);
    EXPECT_TRUE(log.Contains("INVALID STATE: Evaluation of 'hfile !=INVALID_HANDLE_VALUE' failed.  Returning E_UNEXPECTED.\n"));

    SetNewUpdate(folder);
    EXPECT_EQ(data.ProcessIgnoreUpdate(), S_OK);
    EXPECT_EQ(NewUpdate(), "");
    EXPECT_FALSE(Exists(folder));
    EXPECT_TRUE(KeyPresent(szBSUNotificationKey)) << "the Notification key is made for RetryCount";
}

TEST_F(BSUCleanupTest, PurgeInstallFolderTriesOnceAndForgets)
{
    CBSUMetaData data;
    // Nothing named: nothing to do.
    EXPECT_EQ(data.PurgeInstallFolder(), S_OK);

    const std::string done = MakeFolder("done");
    WriteText(done + "/a/b/c.txt", "c");
    SetText(szBSUNotificationKey, szBSULocationLastUpdateValue, done);
    EXPECT_EQ(data.PurgeInstallFolder(), S_OK);
    EXPECT_FALSE(Exists(done));
    EXPECT_EQ(GetText(szBSUNotificationKey, szBSULocationLastUpdateValue), "");

    // A deletion that fails: traced, the value emptied all the same.
    const std::string missing = Root() + "/missing";
    SetText(szBSUNotificationKey, szBSULocationLastUpdateValue, missing);
    testsupport::LogCapture log;
    EXPECT_EQ(data.PurgeInstallFolder(), E_FAIL);
    EXPECT_TRUE(log.Contains("CBSUMetaData::PurgeInstallFolder: Folder to be deleted " + missing + " \n\n"));
    EXPECT_TRUE(log.Contains("CBSUMetaData::PurgeInstallFolder: Folder to be deleted " + missing +
                             " has failed to be deleted \n\n"));
    EXPECT_EQ(GetText(szBSUNotificationKey, szBSULocationLastUpdateValue), "");
    EXPECT_EQ(data.PurgeInstallFolder(), S_OK) << "the next call finds nothing to do";
}

TEST_F(BSUCleanupTest, CachingAFolderNeedsTheNotificationKey)
{
    CBSUMetaData data;
    EXPECT_EQ(data.CacheCurrentSetupFilder("/some/folder"), S_OK);
    EXPECT_FALSE(KeyPresent(szBSUNotificationKey));

    ASSERT_EQ(WritableKey(szBSUNotificationKey).SetDword(szBSUStatusValue, 0), ERROR_SUCCESS);
    EXPECT_EQ(data.CacheCurrentSetupFilder("/some/folder"), S_OK);
    EXPECT_EQ(GetText(szBSUNotificationKey, szBSULocationLastUpdateValue), "/some/folder");
}

TEST_F(BSUCleanupTest, ARefusedStoreFailsNoOperation)
{
    SetNewUpdate("/an/update");
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    CBSUMetaData data;
    EXPECT_EQ(data.PurgeUpdateInformation(), S_OK);
    EXPECT_EQ(data.WriteProductVersion(cmString("A"), cmString("1.0")), S_OK);
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    EXPECT_EQ(NewUpdate(), "/an/update");
}

TEST_F(BSUCleanupTest, DestroyFolderNeverLeavesTheTreeItWasGiven)
{
    CBSUMetaData data;
    testsupport::LogCapture log;
    for (const char* refused : {"", "relative/dir", "/", "//", "/tmp/..", "."})
        EXPECT_EQ(data.DestroyFolder(refused), E_FAIL) << '"' << refused << '"';
    EXPECT_EQ(data.DestroyFolder(nullptr), E_FAIL);
    EXPECT_TRUE(std::filesystem::exists("/tmp"));

    // A link inside the tree to a folder outside it: the link goes, the
    // outside folder and its files stay.
    const std::string outside = MakeFolder("outside");
    WriteText(outside + "/precious.txt", "keep");
    const std::string tree = MakeFolder("tree");
    WriteText(tree + "/deep/er/file", "x");
    std::filesystem::create_directory_symlink(outside, tree + "/deep/link");
    std::filesystem::create_symlink(outside + "/precious.txt", tree + "/filelink");
    EXPECT_EQ(data.DestroyFolder(tree.c_str()), S_OK);
    EXPECT_FALSE(Exists(tree));
    EXPECT_TRUE(Exists(outside + "/precious.txt"));

    // A link given as the folder itself is removed as a link.
    const std::string link = Root() + "/link-to-outside";
    std::filesystem::create_directory_symlink(outside, link);
    EXPECT_EQ(data.DestroyFolder(link.c_str()), S_OK);
    EXPECT_FALSE(Exists(link));
    EXPECT_TRUE(Exists(outside + "/precious.txt"));

    EXPECT_EQ(data.DestroyFolder((Root() + "/never-was").c_str()), E_FAIL);
}
