// The notifier where the display refuses it or goes away: a login whose X
// cookie is missing, or an X server that ends while the dialog is shown. The
// notifier ends with exit code 0 (no crash, no core) and the store keeps
// what it had.
#include "tests/e2e/NotifierDesktopFixture.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A status and date that make the task due and that no answer writes.
constexpr DWORD kDueStatus = 0;
constexpr char kPastDate[] = "45000.5";

class DisplayLossTest : public e2e::NotifierDesktopTest {
protected:
    void MakeDue()
    {
        ASSERT_EQ(Key(szBSUNotificationKey).SetDword(szBSUStatusValue, kDueStatus), ERROR_SUCCESS);
        ASSERT_EQ(Key(szBSUNotificationKey).SetString(szBSUNextUpdateValue, cmString(kPastDate)), ERROR_SUCCESS);
    }
    void ExpectNothingAnswered(const std::string& folder)
    {
        EXPECT_EQ(Status(), kDueStatus);
        EXPECT_EQ(NextDate(), kPastDate);
        EXPECT_EQ(NewUpdate(), folder);
        EXPECT_TRUE(fs::exists(folder + "/Update.cfg"));
        EXPECT_FALSE(ValuePresent(szBSUNotificationKey, szBSURetryCountValue));
    }
};

}  // namespace

TEST_F(DisplayLossTest, ADisplayThatRefusesTheNotifierIsNoDisplay)
{
    // The server wants a cookie; the notifier's authority file has none.
    ASSERT_NO_FATAL_FAILURE(UseDisplayWithCookie(Path("scratch/no-such-xauthority")));
    ASSERT_NO_FATAL_FAILURE(MakeDue());
    const std::string folder = StageSampleUpdate();
    auto notifier = StartNotifier();
    EXPECT_EQ(Finish(*notifier), 0) << Diagnostics();
    ExpectNothingAnswered(folder);

    // With the cookie the same display shows the dialog: the refusal above
    // was the authority, not the server.
    ASSERT_NO_FATAL_FAILURE(UseDisplayWithCookie());
    auto admitted = StartNotifier();
    const std::string dialog = WaitForDialog(*admitted);
    ASSERT_FALSE(dialog.empty());
    Press(dialog, {"Escape"});
    EXPECT_EQ(Finish(*admitted), 0);
}

TEST_F(DisplayLossTest, TheDisplayGoingAwayUnderTheDialogEndsTheRunWithZero)
{
    ASSERT_NO_FATAL_FAILURE(MakeDue());
    const std::string folder = StageSampleUpdate();
    auto notifier = StartNotifier();
    ASSERT_FALSE(WaitForDialog(*notifier).empty());
    StopDisplay();
    EXPECT_EQ(Finish(*notifier), 0) << Diagnostics();
    ExpectNothingAnswered(folder);

    // The lock went with the process: the next run is not shut out.
    auto next = StartNotifier();
    EXPECT_EQ(Finish(*next), 0) << "without a display the dialog cannot show and the run ends";
    ExpectNothingAnswered(folder);
}
