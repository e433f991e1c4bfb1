// The skinned window's hit test and the system commands a press on the
// frame sends, first as tables, then routed through a dialog.
#include "tests/ui/DialogFixture.h"
#include "tests/ui/skin/SkinTestDialog.h"
#include "ui/skin/SkinHitTest.h"

#include <gtest/gtest.h>

namespace {

// A window of 532 x 411 at 100, 50; the caption is 19 high.
constexpr RECT kWindow{100, 50, 632, 461};

int Hit(DWORD style, int x, int y, bool maximised = false)
{
    return SkinNcHitTest(style, maximised, kWindow, POINT{kWindow.left + x, kWindow.top + y});
}

}  // namespace

TEST(SkinHitTest, ADialogFrameIsBorderAndCaption)
{
    const DWORD style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    // The border is 3 wide on every side.
    for (const POINT p : {POINT{0, 200}, POINT{2, 200}, POINT{531, 200}, POINT{529, 200}, POINT{200, 0},
                          POINT{200, 2}, POINT{200, 410}, POINT{0, 0}, POINT{531, 410}})
        EXPECT_EQ(Hit(style, p.x, p.y), HTBORDER) << p.x << "," << p.y;
    // The caption from 3 to 21, all of it, without buttons or system menu.
    for (const POINT p : {POINT{3, 3}, POINT{3, 21}, POINT{10, 12}, POINT{528, 12}})
        EXPECT_EQ(Hit(style, p.x, p.y), HTCAPTION) << p.x << "," << p.y;
    EXPECT_EQ(Hit(style, 200, 12, true), HTBORDER) << "a maximised window has no caption to drag";
    // The client area and what lies outside go to the default handling.
    EXPECT_EQ(Hit(style, 3, 22), HTNOWHERE);
    EXPECT_EQ(Hit(style, 200, 200), HTNOWHERE);
    EXPECT_EQ(Hit(style, -1, 200), HTNOWHERE);
    EXPECT_EQ(Hit(style, 532, 200), HTNOWHERE);
}

TEST(SkinHitTest, CaptionButtonsFromTheRightAsTheStyleHasThem)
{
    // Each button is 19 - 4 = 15 wide; the caption ends at 532 - 3.
    const DWORD all = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX | WS_MINIMIZEBOX;
    EXPECT_EQ(Hit(all, 528, 10), HTCLOSE);
    EXPECT_EQ(Hit(all, 514, 10), HTCLOSE);
    EXPECT_EQ(Hit(all, 513, 10), HTMAXBUTTON);
    EXPECT_EQ(Hit(all, 499, 10), HTMAXBUTTON);
    EXPECT_EQ(Hit(all, 498, 10), HTMINBUTTON);
    EXPECT_EQ(Hit(all, 484, 10), HTMINBUTTON);
    EXPECT_EQ(Hit(all, 483, 10), HTCAPTION);
    // Without the system menu the maximise button moves to the right end.
    const DWORD noMenu = WS_POPUP | WS_CAPTION | WS_MAXIMIZEBOX;
    EXPECT_EQ(Hit(noMenu, 528, 10), HTMAXBUTTON);
    EXPECT_EQ(Hit(noMenu, 513, 10), HTCAPTION);
}

TEST(SkinHitTest, ASizingFrameHasItsSystemMenuBoxAndSizingEdges)
{
    // A sizing frame is 4 wide; the first 22 pixels of the caption are the
    // system menu.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_THICKFRAME;
    EXPECT_EQ(Hit(style, 4, 10), HTSYSMENU);
    EXPECT_EQ(Hit(style, 25, 10), HTSYSMENU);
    EXPECT_EQ(Hit(style, 26, 10), HTCAPTION);
    EXPECT_EQ(Hit(style, 26, 10, true), HTBORDER);
    EXPECT_EQ(Hit(style, 4, 10, true), HTSYSMENU) << "the system menu stays when maximised";
    EXPECT_EQ(Hit(style, 200, 0), HTTOP);
    EXPECT_EQ(Hit(style, 200, 3), HTTOP);
    EXPECT_EQ(Hit(style, 0, 200), HTLEFT);
    EXPECT_EQ(Hit(style, 531, 200), HTRIGHT);
    EXPECT_EQ(Hit(style, 0, 0), HTTOPLEFT);
    EXPECT_EQ(Hit(style, 10, 0), HTTOPLEFT);
    EXPECT_EQ(Hit(style, 0, 10), HTTOPLEFT);
    EXPECT_EQ(Hit(style, 531, 0), HTTOPRIGHT);
    EXPECT_EQ(Hit(style, 531, 10), HTTOPRIGHT);
    // The bottom edge and corners are the default handling's.
    EXPECT_EQ(Hit(style, 200, 410), HTNOWHERE);
    EXPECT_EQ(Hit(style, 0, 410), HTNOWHERE);
    EXPECT_EQ(Hit(style, 531, 405), HTNOWHERE);
}

TEST(SkinHitTest, APressOnAHitPostsItsSystemCommand)
{
    EXPECT_EQ(SkinNcButtonCommand(HTSYSMENU, false, false), SC_MOUSEMENU);
    EXPECT_EQ(SkinNcButtonCommand(HTMINBUTTON, false, false), SC_MINIMIZE);
    EXPECT_EQ(SkinNcButtonCommand(HTMINBUTTON, true, false), SC_RESTORE);
    EXPECT_EQ(SkinNcButtonCommand(HTMAXBUTTON, false, false), SC_MAXIMIZE);
    EXPECT_EQ(SkinNcButtonCommand(HTMAXBUTTON, false, true), SC_RESTORE);
    EXPECT_EQ(SkinNcButtonCommand(HTMAXBUTTON, true, false), SC_MAXIMIZE);
    EXPECT_EQ(SkinNcButtonCommand(HTCLOSE, false, false), SC_CLOSE);
    for (int other : {HTCAPTION, HTBORDER, HTTOP, HTLEFT, HTCLIENT, HTNOWHERE})
        EXPECT_EQ(SkinNcButtonCommand(other, false, false), 0u) << other;
}

class SkinHitTestDialog : public testsupport::DialogTest {};

TEST_F(SkinHitTestDialog, TheDialogRoutesPressesToItsSystemCommands)
{
    StartQt();
    // A window with caption buttons (the skin takes the system menu away,
    // the minimise and maximise boxes stay) and a sizing frame.
    testsupport::SkinTestDialog dlg(testsupport::MakeTemplate(
        WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, {0, 0, 200, 100}, {}));
    // The dialog records the commands and swallows them, so the window stays.
    dlg.swallowCommands = true;
    Later(0, [&] {
        const CDialogRect w = dlg.GetWindowRect();
        const auto at = [&](int x, int y) { return POINT{w.x + x, w.y + y}; };
        const int right = w.cx - 4;  // the caption's right end
        dlg.ViewNcLButtonDown(at(right - 1, 10));   // maximise, now the rightmost
        dlg.ViewNcLButtonDown(at(right - 16, 10));  // minimise
        dlg.ViewNcLButtonDown(at(8, 10));           // system menu
        dlg.ViewNcLButtonDown(at(100, 10));         // caption: the default handling's move
        dlg.ViewNcLButtonDown(at(100, 0));          // top edge: the default handling's sizing
        dlg.ViewNcLButtonDown(at(100, w.cy - 1));   // bottom edge: the default hit test's
        dlg.ViewNcLButtonDown(at(100, 60));         // client area: nothing
        EXPECT_EQ(dlg.OnNcHitTest(at(100, 60)), HTCLIENT);
        EXPECT_EQ(dlg.OnNcHitTest(at(100, w.cy - 1)), HTBOTTOM);
        dlg.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetStyle() & WS_SYSMENU, 0u);
    EXPECT_EQ(dlg.GetOriginalStyle() & WS_SYSMENU, WS_SYSMENU);
    EXPECT_EQ(dlg.commands, (std::vector<UINT>{SC_MAXIMIZE, SC_MINIMIZE, SC_MOUSEMENU, SC_MOVE | HTCAPTION,
                                               SC_SIZE | 3, SC_SIZE | 6}));

    // A dialog frame: the border sends nothing.
    testsupport::SkinTestDialog plain(testsupport::MakeTemplate(testsupport::kDialogStyle, {0, 0, 200, 100}, {}));
    plain.swallowCommands = true;
    Later(0, [&] {
        const CDialogRect p = plain.GetWindowRect();
        plain.ViewNcLButtonDown(POINT{p.x + 1, p.y + 50});
        plain.ViewNcLButtonDown(POINT{p.x + 50, p.y + 10});
        plain.EndDialog(IDOK);
    });
    plain.DoModal();
    EXPECT_EQ(plain.commands, std::vector<UINT>{SC_MOVE | HTCAPTION});
}
