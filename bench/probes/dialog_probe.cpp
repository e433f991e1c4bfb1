// The update dialog as the notifier opens it (module loaded and Qt started
// on demand, template, texts, picture, layout), ending the process the
// moment its window is first painted: the time to a visible dialog.
#include "ui/CBSUDlg.h"

#include <cstdlib>

namespace {

class FirstPaintExits : public CBSUDlg {
protected:
    void OnPaint(HDC hdc) override
    {
        CBSUDlg::OnPaint(hdc);
        std::_Exit(0);
    }
};

}  // namespace

int main()
{
    FirstPaintExits dlg;
    dlg.DoModal();
    return 3;  // never painted
}
