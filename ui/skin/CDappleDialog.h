// CDappleDialog: the base of every dialog of the program, which gives it the
// house look. Its initialisation skins the child controls (SkinChildControls),
// then remembers the dialog's style and takes the caption buttons away
// (minimise, maximise and the system menu with its close box). It paints
// the client background in the skin's colour with the backgrounds of its
// group boxes and optional separator lines, and the skinned frame and
// caption (repainted in its new state on activation, as the base does); it
// answers the hit test and presses on the frame as the skin's tables say,
// and gives each control the string of its id as tooltip.
#pragma once

#include "ui/CDialog.h"
#include "ui/skin/CButtonImageSet.h"
#include "ui/skin/CSkinControl.h"
#include "ui/skin/SkinFramePainter.h"

#include <map>
#include <memory>
#include <vector>

class CDappleDialog : public CDialog {
public:
    // Style bits removed from every dialog: WS_MINIMIZE, WS_MAXIMIZE, WS_SYSMENU.
    static constexpr DWORD kCaptionButtonStyles = 0x21080000;
    // The separator flags: a line 31 dialog units below the top (bit 0) and
    // one 28 dialog units above the bottom (bit 1).
    static constexpr DWORD kTopSeparator = 0x1;
    static constexpr DWORD kBottomSeparator = 0x2;
    // A tooltip holds at most this many bytes.
    static constexpr int kToolTipBytes = 80;

    explicit CDappleDialog(UINT nIDTemplate);
    explicit CDappleDialog(const CDialogTemplate& dialogTemplate);
    ~CDappleDialog() override;

    // The dialog's style as its template gave it, before the removal.
    DWORD GetOriginalStyle() const { return m_dwOriginalStyle; }

    // The frame as the dialog paints it now.
    CSkinFrame SkinFrame() const;

    // Which separator lines the background shows; the bottom line counts
    // from the client bottom or from minimumBottom, whichever is larger.
    void SetSeparators(DWORD flags, int minimumBottom = 0);

    // The wrappers of the skinned controls, owned by the dialog.
    const std::vector<std::unique_ptr<CSkinControl>>& SkinnedControls() const { return m_skinned; }
    void AddSkinnedControl(std::unique_ptr<CSkinControl> control);
    void ClearSkinnedControls() { m_skinned.clear(); }
    CSkinControl* SkinControl(int id) const override;
    // The state images of a button bitmap on this dialog's background, one
    // set for all the dialog's buttons with that bitmap; null when there is
    // no such bitmap.
    std::shared_ptr<CButtonImageSet> ButtonImages(UINT bitmapId) const;

protected:
    BOOL OnInitDialog() override;
    void OnEraseBkgnd(IDialogCanvas& canvas) override;
    void OnNcPaint(IDialogCanvas& canvas) override;
    int OnNcHitTest(POINT pt) override;
    void OnNcLButtonDown(int nHitTest, POINT pt) override;
    std::string OnToolTipText(int id) override;

private:
    DWORD m_dwOriginalStyle = 0;
    DWORD m_dwSeparators = 0;
    int m_minimumBottom = 0;
    std::vector<std::unique_ptr<CSkinControl>> m_skinned;
    mutable std::map<UINT, std::shared_ptr<CButtonImageSet>> m_buttonImages;
};
