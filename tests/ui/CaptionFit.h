// Whether a skinned dialog shows its whole captions: every visible button
// and static text's caption fits its control as the skin draws it (in the
// bold font for buttons, the static's font for static texts, wrapped where
// the control wraps), and the title fits the caption bar.
#pragma once

#include "ui/qt/QtSkinText.h"
#include "ui/skin/CBlueStatic.h"
#include "ui/skin/CDappleBitmapButton.h"
#include "ui/skin/CDappleDialog.h"
#include "ui/skin/SkinFonts.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <gtest/gtest.h>
#include <string>

namespace testsupport {

// The font's metrics on device (null: the screen's).
inline QFontMetrics Metrics(const CFontDesc& font, const QPaintDevice* device)
{
    return device != nullptr ? QFontMetrics(ToQFont(font), device) : QFontMetrics(ToQFont(font));
}

// Each visible button's and static text's caption fits its control as the
// skin draws it, and the title fits the caption bar.
inline void ExpectCaptionsFit(const CDappleDialog& dlg, const std::string& what, const QPaintDevice* device = nullptr)
{
    for (const CDialogControl& c : dlg.Controls()) {
        const CSkinControl* skin = dlg.SkinControl(c.id);
        if (!c.visible || c.text.empty() || skin == nullptr)
            continue;
        RECT r{0, 0, c.rect.cx, c.rect.cy};
        const CFontDesc* font = c.font;
        UINT format = 0;
        if (skin->Kind() == SkinControlKind::BitmapButton) {
            r = CDappleBitmapButton::TextRect(c.rect.cx, c.rect.cy);
            font = font != nullptr ? font : &SkinBoldFont();
            format = CDappleBitmapButton::kTextFormat;
        } else if (skin->Kind() == SkinControlKind::Static) {
            font = font != nullptr ? font : &SkinGuiFont();
            format = CBlueStatic::TextFormat(c.style);
        } else {
            continue;
        }
        const QRect room(r.left, r.top, r.right - r.left, r.bottom - r.top);
        const QRect box = Metrics(*font, device).boundingRect(room, ToQtTextFlags(format), ToQString(c.text));
        EXPECT_TRUE(room.contains(box)) << what << ": control " << c.id << " \"" << c.text << "\" needs "
                                        << box.width() << " x " << box.height() << " in " << room.width()
                                        << " x " << room.height();
    }
    const RECT title = SkinCaptionTextRect(dlg.SkinFrame());
    const int needed = Metrics(SkinBoldFont(), device).horizontalAdvance(ToQString(dlg.GetWindowText()));
    EXPECT_LE(needed, title.right - title.left) << what << ": the title \"" << dlg.GetWindowText() << "\"";
}


}  // namespace testsupport
