// Skinned dialogs made from templates written in the test, for the skin's
// behaviour on controls the program's own templates do not hold. A dialog
// either stops after its initialisation (no toolkit is started; the
// controls and their wrappers are there to look at) or runs modally with
// queued actions, as the program's dialogs do.
#pragma once

#include "ui/skin/CDappleDialog.h"

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct TemplateItem {
    std::string className;  // "Button", "Static", "Edit" or any window class
    DWORD style;
    DWORD exStyle;
    CDialogRect rect;  // dialog units
    WORD id;
    std::string text;
};

inline CDialogTemplate MakeTemplate(DWORD style, CDialogRect rect, const std::vector<TemplateItem>& items)
{
    CDialogTemplate t;
    t.style = style;
    t.rect = rect;
    t.fontPointSize = 8;
    t.fontName = "MS Sans Serif";
    t.caption = "Skin test";
    for (const TemplateItem& i : items) {
        CDialogItem item;
        item.style = i.style | WS_CHILD | WS_VISIBLE;
        item.exStyle = i.exStyle;
        item.rect = i.rect;
        item.id = i.id;
        item.text = i.text;
        if (i.className == "Button")
            item.classAtom = CDialogTemplate::kButton;
        else if (i.className == "Edit")
            item.classAtom = CDialogTemplate::kEdit;
        else if (i.className == "Static")
            item.classAtom = CDialogTemplate::kStatic;
        else
            item.className = i.className;
        t.items.push_back(item);
    }
    return t;
}

// The style of the program's dialogs: a popup with a caption and a modal
// frame, centred.
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER;

class SkinTestDialog : public CDappleDialog {
public:
    explicit SkinTestDialog(const CDialogTemplate& t) : CDappleDialog(t) {}

    // Builds the dialog and runs its initialisation only.
    void Initialise()
    {
        m_stopAfterInit = true;
        DoModal();
    }

    // The system commands the dialog was sent, and whether it lets them
    // through to the default handling.
    std::vector<UINT> commands;
    bool swallowCommands = false;

    using CDappleDialog::OnNcHitTest;

protected:
    BOOL OnInitDialog() override
    {
        CDappleDialog::OnInitDialog();
        if (m_stopAfterInit)
            EndDialog(0);
        return TRUE;
    }
    void OnSysCommand(UINT nID, LPARAM lParam) override
    {
        commands.push_back(nID);
        if (!swallowCommands)
            CDappleDialog::OnSysCommand(nID, lParam);
    }

private:
    bool m_stopAfterInit = false;
};

}  // namespace testsupport
