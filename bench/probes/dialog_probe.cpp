// The update dialog as the notifier opens it (module loaded and Qt started
// on demand, template, texts, picture, layout, the skin's frame, caption and
// button images), ending the process the moment its window has been painted
// whole for the first time: the time to a visible dialog. The skin is set up
// as the notifier's start-up does it.
#include "ui/CBSUDlg.h"
#include "ui/skin/CDappleWinApp.h"

#include <cstdlib>

namespace {

class FirstPaintExits : public CBSUDlg {
protected:
    void OnWindowPainted() override { std::_Exit(0); }
};

}  // namespace

int main()
{
    CDappleWinApp app;
    app.GetGlobals().InitColours(0);
    app.GetGlobals().SetBitmapIds(1, 2, 3, 4, 5, 6, 7, 8, 9, 132, 131, 134, 133, 135, 136, 2);
    FirstPaintExits dlg;
    dlg.DoModal();
    return 3;  // never painted
}
