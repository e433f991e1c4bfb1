// The notifier as a desktop user meets it: the real program shows its update
// dialog on a virtual X server, the test answers with the keyboard, and the
// store and update folders afterwards show what the answer did.
//
// The keyboard path of the dialog: the focus starts on "Update"; Tab moves
// to "Remind Me Later", then to "Do Not Update"; Enter presses the focused
// button; Escape ends the dialog. The confirmation of "Do Not Update" has the
// same title and starts with the focus on "Yes".
#include "platform/gdi32/FontMetrics.h"
#include "platform/kernel32/MulDiv.h"
#include "tests/e2e/NotifierDesktopFixture.h"
#include "update/CNotificationData.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A status and date that make the task due and that no answer writes, so a
// run that writes nothing leaves them as they are.
constexpr DWORD kDueStatus = 0;
constexpr char kPastDate[] = "45000.5";

class UpdateDialogTest : public e2e::NotifierDesktopTest {
protected:
    static void MakeDue()
    {
        ASSERT_EQ(Key(szBSUNotificationKey).SetDword(szBSUStatusValue, kDueStatus), ERROR_SUCCESS);
        ASSERT_EQ(Key(szBSUNotificationKey).SetString(szBSUNextUpdateValue, cmString(kPastDate)), ERROR_SUCCESS);
    }
};

}  // namespace

TEST_F(UpdateDialogTest, RemindMeLaterAsksAgainInSevenDays)
{
    const std::string folder = StageSampleUpdate();
    auto notifier = StartNotifier();
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    const double pressed = CNotificationData::Now();
    Press(dialog, {"Tab", "Return"});
    EXPECT_EQ(Finish(*notifier), 0);

    EXPECT_EQ(Status(), 2u);
    const double next = CNotificationData::TextToDate(cmString(NextDate().c_str()));
    // An OLE date counts days; a minute either way is 1/1440.
    EXPECT_NEAR(next, pressed + 7.0, 1.0 / 1440) << NextDate();
    EXPECT_EQ(NewUpdate(), folder) << "the update still waits";
    EXPECT_TRUE(fs::exists(folder + "/Update.cfg"));
}

TEST_F(UpdateDialogTest, EscapeEndsTheDialogWithoutAnAnswer)
{
    ASSERT_NO_FATAL_FAILURE(MakeDue());
    const std::string folder = StageSampleUpdate();
    auto notifier = StartNotifier();
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    Press(dialog, {"Escape"});
    EXPECT_EQ(Finish(*notifier), 0);

    EXPECT_EQ(Status(), kDueStatus);
    EXPECT_EQ(NextDate(), kPastDate);
    EXPECT_EQ(NewUpdate(), folder);
    EXPECT_TRUE(fs::exists(folder + "/Update.cfg"));
    EXPECT_FALSE(ValuePresent(szBSUNotificationKey, szBSURetryCountValue));
    EXPECT_FALSE(ValuePresent(szBSUNotificationKey, szBSULocationLastUpdateValue));
}

TEST_F(UpdateDialogTest, AFirstRunOnAnEmptyStoreShowsTheWaitingUpdate)
{
    // Nothing but the waiting update in the store: the run records the task
    // as due and shows the dialog in the same run.
    const std::string folder = StageSampleUpdate();
    ASSERT_FALSE(KeyPresent(szBSUNotificationKey));
    auto notifier = StartNotifier();
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    EXPECT_EQ(Status(), 0u);
    EXPECT_EQ(NextDate(), "0.");
    Press(dialog, {"Escape"});
    EXPECT_EQ(Finish(*notifier), 0);
    EXPECT_EQ(NewUpdate(), folder);
}

TEST_F(UpdateDialogTest, DoNotUpdateConfirmedRecordsTheVersionsAndDeletesTheUpdate)
{
    ASSERT_NO_FATAL_FAILURE(MakeDue());
    const std::string folder = StageSampleUpdate();
    // Glimmary is installed (its key exists), Glimmary Viewer is not.
    const std::string glimmary = std::string(szBSUUpdaterKey) + szBSUProductKeySeparator + "Glimmary";
    const std::string viewer = std::string(szBSUUpdaterKey) + szBSUProductKeySeparator + "Glimmary Viewer";
    ASSERT_EQ(Key(glimmary.c_str()).SetString(szBSUVersionValue, cmString("2.0.0.0")), ERROR_SUCCESS);

    auto notifier = StartNotifier();
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    Press(dialog, {"Tab", "Tab", "Return"});
    const std::string confirm = WaitForDialog(*notifier, {dialog});
    ASSERT_FALSE(confirm.empty()) << "no confirmation came";
    Press(confirm, {"Return"});
    EXPECT_EQ(Finish(*notifier), 0);

    EXPECT_EQ(NewUpdate(), "");
    EXPECT_FALSE(fs::exists(folder)) << "the update folder goes at once";
    EXPECT_EQ(Status(), 0u);
    EXPECT_EQ(NextDate(), "0.");
    EXPECT_EQ(Dword(szBSUNotificationKey, szBSURetryCountValue), 0u);
    EXPECT_EQ(Text(glimmary.c_str(), szBSUVersionValue), "2.1.0.0");
    EXPECT_FALSE(KeyPresent(viewer)) << "a product that is not installed gets no key";
}

TEST_F(UpdateDialogTest, DoNotUpdateDeclinedReturnsToTheDialog)
{
    ASSERT_NO_FATAL_FAILURE(MakeDue());
    const std::string folder = StageSampleUpdate();
    auto notifier = StartNotifier();
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    Press(dialog, {"Tab", "Tab", "Return"});
    const std::string confirm = WaitForDialog(*notifier, {dialog});
    ASSERT_FALSE(confirm.empty()) << "no confirmation came";
    // "No" is one Tab from "Yes".
    Press(confirm, {"Tab", "Return"});
    ASSERT_TRUE(Keys().WaitUntilGone(confirm, e2e::kCaption, e2e::kDialogTimeoutMs)) << "the confirmation stayed";
    EXPECT_FALSE(notifier->HasExited()) << "the update dialog was ended with the confirmation";

    // Back in the update dialog, whose focus is on "Update" again: the user
    // chooses "Remind Me Later" this time.
    EXPECT_EQ(Keys().WaitForNewWindow(e2e::kCaption, {}, e2e::kDialogTimeoutMs), dialog);
    ASSERT_EQ(Keys().VisibleWindows(e2e::kCaption), std::vector<std::string>{dialog});
    Press(dialog, {"Tab", "Return"});
    EXPECT_EQ(Finish(*notifier), 0);

    EXPECT_EQ(Status(), 2u);
    EXPECT_EQ(NewUpdate(), folder);
    EXPECT_TRUE(fs::exists(folder + "/Update.cfg"));
}

TEST_F(UpdateDialogTest, UpdateRunsTheInstallerAndForgetsTheInstalledUpdate)
{
    ASSERT_NO_FATAL_FAILURE(MakeDue());
    const std::string folder = StageSampleUpdate();
    auto notifier = StartNotifier();
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    Press(dialog, {"Return"});
    EXPECT_EQ(Finish(*notifier), 0);

    EXPECT_EQ(NewUpdate(), "");
    EXPECT_EQ(Text(szBSUNotificationKey, szBSULocationLastUpdateValue), folder);
    EXPECT_TRUE(fs::exists(folder)) << "the folder is deleted by a later run";
    EXPECT_EQ(Status(), 0u);
    EXPECT_EQ(NextDate(), "0.");
    EXPECT_FALSE(ValuePresent(szBSUNotificationKey, szBSURetryCountValue));

    // The next run deletes the installed update's folder and shows nothing.
    auto next = StartNotifier();
    EXPECT_EQ(Finish(*next), 0);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(Text(szBSUNotificationKey, szBSULocationLastUpdateValue), "");
}

TEST_F(UpdateDialogTest, AFailedInstallationIsCountedAndTheUpdateKept)
{
    ASSERT_NO_FATAL_FAILURE(MakeDue());
    const std::string folder = StageSampleUpdate();
    SetInstallerCommand(folder, "setup.sh --outcome failed");
    auto notifier = StartNotifier();
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    Press(dialog, {"Return"});
    EXPECT_EQ(Finish(*notifier), 0);

    // The first counted failure starts the count at 0.
    ASSERT_TRUE(ValuePresent(szBSUNotificationKey, szBSURetryCountValue));
    EXPECT_EQ(Dword(szBSUNotificationKey, szBSURetryCountValue), 0u);
    EXPECT_EQ(NewUpdate(), folder);
    EXPECT_TRUE(fs::exists(folder + "/Update.cfg"));
    EXPECT_EQ(Text(szBSUNotificationKey, szBSULocationLastUpdateValue), "");
    EXPECT_EQ(Status(), 0u);
    EXPECT_EQ(NextDate(), "0.");
}

TEST_F(UpdateDialogTest, ASecondCopyEndsAtOnceAndLeavesTheOpenDialogAlone)
{
    ASSERT_NO_FATAL_FAILURE(MakeDue());
    const std::string folder = StageSampleUpdate();
    auto first = StartNotifier();
    const std::string dialog = WaitForDialog(*first);
    ASSERT_FALSE(dialog.empty());

    // The second copy ends by itself while the first still shows its dialog:
    // it neither waits for the first nor disturbs it.
    auto second = StartNotifier();
    EXPECT_EQ(Finish(*second), 0);
    EXPECT_EQ(Keys().VisibleWindows(e2e::kCaption), std::vector<std::string>{dialog}) << "one dialog, the first";
    EXPECT_FALSE(first->HasExited());
    EXPECT_EQ(Status(), kDueStatus) << "the second copy decided something";
    EXPECT_EQ(NextDate(), kPastDate);

    // The first dialog still takes its answer.
    Press(dialog, {"Tab", "Return"});
    EXPECT_EQ(Finish(*first), 0);
    EXPECT_EQ(Status(), 2u);
    EXPECT_EQ(NewUpdate(), folder);
}

TEST_F(UpdateDialogTest, TheDialogCannotBeMovedAway)
{
    StageSampleUpdate();
    auto notifier = StartNotifier();
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    const std::string before = Keys().Position(dialog);
    ASSERT_FALSE(before.empty());
    // The dialog swallows the move command: the window returns to its place.
    Keys().Move(dialog, 5, 5);
    // It goes back when the notifier next runs its loop; the time limit is a
    // safety net for a loaded machine.
    std::string after = Keys().Position(dialog);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(e2e::kDialogTimeoutMs);
    while (after != before && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        after = Keys().Position(dialog);
    }
    EXPECT_EQ(after, before) << "the window stayed where it was moved";
    Press(dialog, {"Escape"});
    EXPECT_EQ(Finish(*notifier), 0);
}

TEST_F(UpdateDialogTest, TheSkinnedWindowIsTheLayoutsSizeAndStaysWhereItIs)
{
    StageSampleUpdate();
    auto notifier = StartNotifier();
    const std::string dialog = WaitForDialog(*notifier);
    ASSERT_FALSE(dialog.empty());
    // The window draws its own frame, so the X window is the layout's outer
    // size: the 500 x 300 picture and 32 pixels across; the picture, the
    // buttons' row (24 dialog units of the dialog font) and 74 pixels down.
    platform::FontBaseUnits units;
    ASSERT_TRUE(platform::MeasureFontBaseUnits("DejaVu Sans", 11, &units));
    const int buttonHeight = MulDiv(24, units.cy, 8);
    const e2e::WindowGeometry before = Keys().Geometry(dialog);
    ASSERT_TRUE(before.valid) << Keys().LastError();
    EXPECT_EQ(before.width, 532);
    EXPECT_EQ(before.height, 300 + buttonHeight + 74);
    EXPECT_EQ(before.x, (1024 - before.width) / 2) << "centred on the screen";
    EXPECT_EQ(before.y, (768 - before.height) / 2);

    // Alt+F4, a drag by the caption and a click on the frame: the dialog
    // swallows the close and the move, and the frame does nothing.
    Press(dialog, {"alt+F4"});
    EXPECT_TRUE(Keys().Drag(dialog, 200, 10, 320, 90)) << Keys().LastError();
    EXPECT_TRUE(Keys().Click(dialog, 1, 200)) << Keys().LastError();
    // The notifier takes its input in order: once the confirmation that
    // "Do Not Update" opens is there, all of the above has been handled.
    Press(dialog, {"Tab", "Tab", "Return"});
    const std::string confirm = WaitForDialog(*notifier, {dialog});
    ASSERT_FALSE(confirm.empty()) << "Alt+F4 ended the dialog";
    const e2e::WindowGeometry after = Keys().Geometry(dialog);
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    EXPECT_EQ(after.width, before.width);
    EXPECT_EQ(after.height, before.height);
    // The confirmation sits at 0, 0 of the update dialog's client area,
    // inside its 3-pixel frame and below its 19-pixel caption.
    const e2e::WindowGeometry question = Keys().Geometry(confirm);
    EXPECT_EQ(question.x, before.x + 3);
    EXPECT_EQ(question.y, before.y + 3 + 19);
    Press(confirm, {"Escape"});
    ASSERT_TRUE(Keys().WaitUntilGone(confirm, e2e::kCaption, e2e::kDialogTimeoutMs));
    Press(dialog, {"Escape"});
    EXPECT_EQ(Finish(*notifier), 0);
    EXPECT_EQ(NewUpdate().empty(), false) << "nothing was answered";
}
