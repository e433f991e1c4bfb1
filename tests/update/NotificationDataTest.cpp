#include "CustomCode/Common/cmRegistryKey.h"
#include "platform/kernel32/Environment.h"
#include "platform/ole/OleDate.h"
#include "tests/support/LogCapture.h"
#include "update/BSUDialogHost.h"
#include "update/BSURegistryLayout.h"
#include "update/CBSUWizard.h"
#include "update/CNotificationData.h"

#include <gtest/gtest.h>
#include <string>

namespace {

SYSTEMTIME At(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0)
{
    SYSTEMTIME st{};
    st.wYear = y;
    st.wMonth = mo;
    st.wDay = d;
    st.wHour = h;
    st.wMinute = mi;
    st.wSecond = s;
    return st;
}

double Ole(const SYSTEMTIME& st)
{
    double v = 0;
    EXPECT_TRUE(SystemTimeToVariantTime(&st, &v));
    return v;
}

class NotificationDataTest : public ::testing::Test {
protected:
    void SetUp() override { SetNow(At(2026, 12, 8, 10, 0, 0)); }
    void TearDown() override
    {
        platform::SetLocalTimeOverride(nullptr);
        SetBSUDialogRunner(nullptr);
    }
    static void SetNow(const SYSTEMTIME& st) { platform::SetLocalTimeOverride(&st); }

    CNotificationData Data() { return CNotificationData(szBSUNotificationKey, szBSUStatusValue, szBSUNextUpdateValue); }
    cmRegistryKey Key() { return cmRegistryKey(HKEY_LOCAL_MACHINE, szBSUNotificationKey, cmRegistryCreate::CreateMissing); }

    void Store(DWORD status, const char* date)
    {
        cmRegistryKey k = Key().GetWritableCopy();
        ASSERT_EQ(k.SetDword(szBSUStatusValue, status), ERROR_SUCCESS);
        ASSERT_EQ(k.SetString(szBSUNextUpdateValue, cmString(date)), ERROR_SUCCESS);
    }
    DWORD StoredStatus() { return Key().QueryDword(szBSUStatusValue); }
    std::string StoredDate() { return Key().QueryString(szBSUNextUpdateValue).GetText(); }
};

}  // namespace

TEST_F(NotificationDataTest, FirstRunOnAnEmptyStoreWritesTheResetAndIsDue)
{
    EXPECT_TRUE(Data().UpdateIsNeeded());
    EXPECT_EQ(StoredStatus(), 0u);
    EXPECT_EQ(StoredDate(), "0.");

    DWORD type = 0;
    cmRegistryKey k = Key();
    ASSERT_EQ(RegQueryValueExA(k.GetHandle(), szBSUStatusValue, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_TRUE(Data().UpdateIsNeeded()) << "status 0 with the zero date stays due";
}

TEST_F(NotificationDataTest, RemindLaterWaitsUntilTheDateHasPassed)
{
    CNotificationData data = Data();
    const double inSevenDays = Ole(At(2026, 12, 15, 10, 0, 0));
    ASSERT_EQ(data.SetActionStatus(2, inSevenDays), S_OK);
    EXPECT_EQ(StoredDate(), "46371.4167");
    EXPECT_FALSE(data.UpdateIsNeeded());

    // The stored text keeps about 9 s of resolution: 10:00:02.88 here. The
    // clock counts whole seconds, so 10:00:02 is before it and 10:00:03 after.
    SetNow(At(2026, 12, 15, 10, 0, 2));
    EXPECT_FALSE(data.UpdateIsNeeded()) << "due only strictly after the date";
    SetNow(At(2026, 12, 15, 10, 0, 3));
    EXPECT_TRUE(data.UpdateIsNeeded());
    EXPECT_EQ(StoredStatus(), 2u) << "deciding writes nothing";
}

TEST_F(NotificationDataTest, OtherStatusesAreNeverDue)
{
    for (DWORD status : {1u, 3u, 5u, 0x7FFFFFFFu}) {
        Store(status, "0.");
        EXPECT_FALSE(Data().UpdateIsNeeded()) << status;
        EXPECT_EQ(StoredStatus(), status) << "a deliberate status is kept";
    }
}

TEST_F(NotificationDataTest, AMissingStatusWithAFutureDateIsResetButNotDueThisRun)
{
    {
        cmRegistryKey k = Key().GetWritableCopy();
        ASSERT_EQ(k.SetString(szBSUNextUpdateValue, cmString("99999.5")), ERROR_SUCCESS);
    }
    EXPECT_FALSE(Data().UpdateIsNeeded()) << "the date read before the reset decides this run";
    EXPECT_EQ(StoredStatus(), 0u);
    EXPECT_EQ(StoredDate(), "0.");
    EXPECT_TRUE(Data().UpdateIsNeeded()) << "and the next run is due";
}

TEST_F(NotificationDataTest, DateTextsReadAsStrtodReadsThem)
{
    int status = 0;
    double date = -1;
    Store(2, "46371.5xyz");
    ASSERT_EQ(Data().GetActionStatus(status, date), S_OK);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(date, 46371.5);

    Store(2, "tomorrow");
    Data().GetActionStatus(status, date);
    EXPECT_EQ(date, 0.0);
    EXPECT_TRUE(Data().UpdateIsNeeded()) << "no number reads as the zero date";
}

TEST_F(NotificationDataTest, AStatusStoredAsTextIsReplacedByANumber)
{
    {
        cmRegistryKey k = Key().GetWritableCopy();
        ASSERT_EQ(k.SetString(szBSUStatusValue, cmString("2")), ERROR_SUCCESS);
        ASSERT_EQ(k.SetString(szBSUNextUpdateValue, cmString("99999.")), ERROR_SUCCESS);
    }
    int status = 0;
    double date = 0;
    Data().GetActionStatus(status, date);
    EXPECT_EQ(status, -1);
    Data().UpdateIsNeeded();
    DWORD type = 0;
    cmRegistryKey k = Key();
    ASSERT_EQ(RegQueryValueExA(k.GetHandle(), szBSUStatusValue, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(StoredStatus(), 0u);
    EXPECT_EQ(StoredDate(), "0.");
}

TEST_F(NotificationDataTest, StoredTextsOfKnownMoments)
{
    EXPECT_STREQ(CNotificationData::DateToText(Ole(At(2008, 1, 1, 12))).GetText(), "39448.5");
    EXPECT_STREQ(CNotificationData::DateToText(0.0).GetText(), "0.");
    EXPECT_STREQ(CNotificationData::DateToText(Ole(At(2026, 12, 8, 1, 2, 3))).GetText(), "46364.0431");
    EXPECT_STREQ(CNotificationData::DateToText(Ole(At(2008, 1, 1))).GetText(), "39448.");
}

TEST_F(NotificationDataTest, AClockThatCannotBeConvertedMakesNothingDue)
{
    testsupport::LogCapture log;
    SetNow(At(10000, 1, 1));
    EXPECT_EQ(CNotificationData::Now(), -2147418113.0);
    EXPECT_TRUE(log.Contains("INVALID STATE: Evaluation of 'hr' failed.  Returning E_UNEXPECTED.\n"));
    Store(0, "0.");
    EXPECT_FALSE(Data().UpdateIsNeeded());
}

TEST_F(NotificationDataTest, ARefusedWriteReportsUnexpectedAndWritesNothing)
{
    Store(2, "46000.");
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");
    testsupport::LogCapture log;
    EXPECT_EQ(Data().SetActionStatus(0, 0.0), E_UNEXPECTED);
    EXPECT_TRUE(log.Contains("INVALID STATE: Evaluation of 'lResult==0' failed.  Returning E_UNEXPECTED.\n"));
    EXPECT_EQ(Data().SetActionStatus(2, 1.0), E_UNEXPECTED);
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    EXPECT_EQ(StoredStatus(), 2u);
    EXPECT_EQ(StoredDate(), "46000.");
}

TEST_F(NotificationDataTest, TheUpdateTaskFollowsTheNotificationData)
{
    static int s_shown = 0;
    s_shown = 0;
    SetBSUDialogRunner([] {
        ++s_shown;
        return 5;
    });
    CBSUWizard task;
    EXPECT_EQ(task.GetPriority(), 80);
    int needToRun = -7;
    EXPECT_EQ(task.DoYouNeedToRun(needToRun), S_OK);
    EXPECT_EQ(needToRun, 1);
    EXPECT_EQ(task.PerformAction(), 5);
    EXPECT_EQ(s_shown, 1);

    Store(2, "99999.");
    EXPECT_EQ(task.DoYouNeedToRun(needToRun), S_OK);
    EXPECT_EQ(needToRun, 0);

    SetBSUDialogRunner(nullptr);
    EXPECT_EQ(task.ShowDialog(), -1) << "no dialog layer: the dialog cannot be created";
}
