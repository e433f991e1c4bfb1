// The update metadata: turning "NewUpdate" into what the dialog shows, and
// forgetting unusable updates, with real folders and a real store.
#include "tests/support/LogCapture.h"
#include "tests/update/UpdateFolderFixture.h"
#include "update/CBSUMetaData.h"

#include <string>

namespace {

std::string Bytes(const cmBuffer& b) { return std::string(reinterpret_cast<const char*>(b.GetData()), b.GetSize()); }

class BSUMetaDataTest : public testsupport::UpdateFolderTest {};

}  // namespace

TEST_F(BSUMetaDataTest, AUsableUpdateFillsEveryField)
{
    const std::string folder = MakeFolder("updates/U1");
    WriteConfig(folder, {"setup.sh /quiet", {{"A", "2.0"}}, {{1033, "{\\rtf1 en}"}, {1031, "{\\rtf1 de}"}},
                         {{1033, "UpdateDetails_1033\\details.html"}, {1031, "de/details.html"}}});
    SetNewUpdate(folder);
    SetLanguage("1031");

    CBSUMetaData data;
    ASSERT_EQ(data.PopulateMe(), S_OK);
    EXPECT_STREQ(data.szPathToUpdate.GetText(), folder.c_str());
    EXPECT_STREQ(data.szAppToLaunch.GetText(), "setup.sh /quiet");
    EXPECT_EQ(Bytes(data.bufDescription), "{\\rtf1 de}");
    EXPECT_STREQ(data.szHTMLDescriptionPath.GetText(), "de/details.html");
    EXPECT_EQ(std::string(data.szPathToJPG.GetText()), folder + "/UpdateDetails_1031/images/top.jpg");
    EXPECT_EQ(NewUpdate(), folder) << "a usable update stays offered";
}

TEST_F(BSUMetaDataTest, NoUpdateIsAnUnexpectedState)
{
    testsupport::LogCapture log;
    CBSUMetaData data;
    EXPECT_EQ(data.PopulateMe(), E_UNEXPECTED);
    EXPECT_TRUE(log.Contains("INVALID STATE: Evaluation of 'this->szPathToUpdate.GetLengthInTchars()!=0' failed.  "
                             "Returning E_UNEXPECTED.\n"));
    SetNewUpdate("");
    EXPECT_EQ(CBSUMetaData().PopulateMe(), E_UNEXPECTED);
}

TEST_F(BSUMetaDataTest, UnusableFoldersAreForgotten)
{
    testsupport::LogCapture log;

    // Files but no "Update.cfg": forgotten, but the files stay.
    const std::string withFiles = MakeFolder("withFiles");
    WriteText(withFiles + "/setup.sh", "#!/bin/sh\n");
    SetNewUpdate(withFiles);
    CBSUMetaData a;
    EXPECT_EQ(a.PopulateMe(), E_FAIL);
    EXPECT_TRUE(a.szPathToUpdate.IsEmpty());
    EXPECT_EQ(NewUpdate(), "");
    EXPECT_TRUE(Exists(withFiles + "/setup.sh"));
    EXPECT_TRUE(log.Contains("CBSUMetaData::Validate_ConfigFileExists: config file " + withFiles +
                             "/Update.cfg not found \n\n"));
    EXPECT_TRUE(log.Contains("CBSUMetaData::BSUResetOnMissingData: Reg Keyvalue NewUpdate cleared \n\n"));

    // An empty folder: forgotten and removed.
    const std::string empty = MakeFolder("empty");
    SetNewUpdate(empty);
    EXPECT_EQ(CBSUMetaData().PopulateMe(), E_FAIL);
    EXPECT_EQ(NewUpdate(), "");
    EXPECT_FALSE(Exists(empty));

    // Only sub-folders, one of them with an "Update.cfg": no file directly
    // in the folder, so it is unusable, and it is not empty, so it stays.
    const std::string nested = MakeFolder("nested");
    WriteConfig(MakeFolder("nested/inner"), {});
    SetNewUpdate(nested);
    EXPECT_EQ(CBSUMetaData().PopulateMe(), E_FAIL);
    EXPECT_EQ(NewUpdate(), "");
    EXPECT_TRUE(Exists(nested + "/inner/Update.cfg"));

    // A folder that does not exist at all.
    log.Clear();
    SetNewUpdate(Root() + "/gone");
    EXPECT_EQ(CBSUMetaData().PopulateMe(), E_FAIL);
    EXPECT_EQ(NewUpdate(), "");
    EXPECT_TRUE(log.Contains("CBSUMetaData::Validate_ConfigFileExists: host folder " + Root() + "/gone not found \n\n"));

    // Only hidden files do not count as files.
    const std::string hidden = MakeFolder("hidden");
    WriteText(hidden + "/.Update.cfg", "x");
    SetNewUpdate(hidden);
    EXPECT_EQ(CBSUMetaData().PopulateMe(), E_FAIL);
}

TEST_F(BSUMetaDataTest, AFolderEndingInASeparatorWorksAndThePictureGetsNoDoubledSeparator)
{
    const std::string folder = MakeFolder("U2");
    WriteConfig(folder, {});
    SetNewUpdate(folder + "/");
    SetLanguage("1036");
    CBSUMetaData data;
    ASSERT_EQ(data.PopulateMe(), S_OK);
    EXPECT_EQ(data.GetPathToConfigFile().GetText(), folder + "//Update.cfg");
    EXPECT_EQ(std::string(data.szPathToJPG.GetText()), folder + "/UpdateDetails_1036/images/top.jpg");
}

TEST_F(BSUMetaDataTest, DescriptionAndPageAreLookedUpForExactlyTheLanguage)
{
    const std::string folder = MakeFolder("U3");
    WriteConfig(folder, {"setup.sh", {}, {{1033, "en"}, {1031, "de"}}, {{1033, "en.html"}, {1031, "de.html"}}});
    SetNewUpdate(folder);

    {   // No "Language": English descriptions, an empty folder suffix.
        testsupport::LogCapture log;
        CBSUMetaData data;
        ASSERT_EQ(data.PopulateMe(), S_OK);
        EXPECT_EQ(Bytes(data.bufDescription), "en");
        EXPECT_STREQ(data.szHTMLDescriptionPath.GetText(), "en.html");
        EXPECT_EQ(std::string(data.szPathToJPG.GetText()), folder + "/UpdateDetails_/images/top.jpg");
        EXPECT_TRUE(log.Contains("MakePathToJPG: Adding Slash to szPathToJPG\n"));
    }
    for (const char* language : {"1036", "3081"}) {
        SetLanguage(language);
        CBSUMetaData data;
        ASSERT_EQ(data.PopulateMe(), S_OK) << language;
        EXPECT_EQ(data.bufDescription.GetSize(), 0u) << language;
        EXPECT_TRUE(data.szHTMLDescriptionPath.IsEmpty()) << language;
        EXPECT_EQ(std::string(data.szPathToJPG.GetText()), folder + "/UpdateDetails_" + language + "/images/top.jpg");
    }
}

TEST_F(BSUMetaDataTest, ABrokenConfigurationStillShowsAndLeavesTheCommandEmpty)
{
    const std::string folder = MakeFolder("U4");
    WriteText(folder + "/Update.cfg", std::string("\x40\x00\x00\x00\x02", 5));
    SetNewUpdate(folder);
    CBSUMetaData data;
    EXPECT_EQ(data.PopulateMe(), S_OK);
    EXPECT_TRUE(data.szAppToLaunch.IsEmpty());
}

TEST_F(BSUMetaDataTest, AFailedPurgeOfAnEarlierFolderStopsThisShowingOnce)
{
    const std::string folder = MakeFolder("U5");
    WriteConfig(folder, {});
    SetNewUpdate(folder);
    // The earlier folder is gone already, so deleting it fails.
    SetText(szBSUNotificationKey, szBSULocationLastUpdateValue, Root() + "/earlier");
    testsupport::LogCapture log;
    CBSUMetaData data;
    EXPECT_EQ(data.PopulateMe(), E_UNEXPECTED);
    EXPECT_TRUE(log.Contains("INVALID STATE: Evaluation of 'hr==S_OK' failed.  Returning E_UNEXPECTED.\n"));
    EXPECT_EQ(GetText(szBSUNotificationKey, szBSULocationLastUpdateValue), "");
    EXPECT_EQ(NewUpdate(), folder);
    EXPECT_EQ(CBSUMetaData().PopulateMe(), S_OK) << "the next attempt does not fail for the same reason";
}

TEST_F(BSUMetaDataTest, AnEarlierFolderIsDeletedBeforeTheNewUpdateIsRead)
{
    const std::string earlier = MakeFolder("earlier");
    WriteText(earlier + "/sub/file.bin", "bytes");
    SetText(szBSUNotificationKey, szBSULocationLastUpdateValue, earlier);
    const std::string folder = MakeFolder("U6");
    WriteConfig(folder, {});
    SetNewUpdate(folder);
    EXPECT_EQ(CBSUMetaData().PopulateMe(), S_OK);
    EXPECT_FALSE(Exists(earlier));
    EXPECT_EQ(GetText(szBSUNotificationKey, szBSULocationLastUpdateValue), "");
}
