// How the dialogs answer the system commands the window manager sends: a
// plain dialog closes on SC_CLOSE and may be moved; the program's three
// dialogs swallow every system command.
#include "tests/ui/DialogFixture.h"
#include "ui/BSU_DeleteUpgrade.h"
#include "ui/CBSUDlg.h"
#include "ui/CBSU_MoreDetails.h"
#include "ui/NotifierResourceIds.h"

TEST(DialogSysCommand, APlainDialogClosesAndMovesTheProgramsDialogsDoNeither)
{
    CDialog plain(IDD_BSU_MOREDETAILS);
    EXPECT_TRUE(plain.ViewMoveRequest(40, 50));
    EXPECT_EQ(plain.GetWindowRect().x, 40);
    plain.ViewCloseRequest();
    EXPECT_TRUE(plain.IsEnded());

    CBSUDlg update;
    BSU_DeleteUpgrade confirm;
    CBSU_MoreDetails details;
    for (CDialog* d : std::initializer_list<CDialog*>{&update, &confirm, &details}) {
        EXPECT_FALSE(d->ViewMoveRequest(40, 50)) << d->TemplateId();
        d->ViewCloseRequest();
        EXPECT_FALSE(d->IsEnded()) << d->TemplateId();
    }
}
