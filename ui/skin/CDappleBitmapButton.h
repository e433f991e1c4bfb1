// CDappleBitmapButton: a push button drawn with the skin's button bitmap.
// Its image comes from the bitmap id table: index 28 for a flat button
// (BS_FLAT), index 13 for a button taller than the dialog font's text height
// plus 10, index 14 for the others; the state images are made by
// CButtonImageSet, once per size. The caption is drawn over the image in the
// skin's bold font, centred, wrapped at words when one line is too long;
// the hot image shows while the mouse is over the button. The images come
// from the dialog, which shares them between buttons of the same bitmap. A button whose
// bitmap cannot be loaded draws a plain face instead of the image.
#pragma once

#include "ui/skin/CButtonImageSet.h"
#include "ui/skin/CSkinControl.h"

#include <memory>

class CDappleBitmapButton : public CSkinControl {
public:
    explicit CDappleBitmapButton(WORD id) : CSkinControl(SkinControlKind::BitmapButton, id) {}

    static constexpr int kFlatImage = 28;
    static constexpr int kTallImage = 13;
    static constexpr int kImage = 14;
    // The id table index of a button's image.
    static int ImageIndex(DWORD style, int textHeight, int buttonHeight);

    // The image by the rule; a message box sets its buttons' own.
    void SetUp(const CDialog& dialog, const CDialogControl& control) override;
    void SetImageIndex(int index);
    int ImageIndexUsed() const { return m_index; }
    // Whether an image was loaded for the button.
    bool HasImage() const { return m_images != nullptr; }
    const CButtonImageSet* Images() const { return m_images.get(); }

    bool PaintsItself() const override { return true; }
    void Paint(IDialogCanvas& canvas, const CSkinControlState& state) override;

    // Where the caption goes in a button of that size.
    static RECT TextRect(int cx, int cy);
    static constexpr UINT kTextFormat = DT_CENTER | DT_VCENTER | DT_WORDBREAK;

private:
    int m_index = -1;
    std::shared_ptr<CButtonImageSet> m_images;
};
