// A device context that answers the dialog's surface metrics and draws
// nothing: what the dialogs measure with before their window exists (the
// window's own surface has the same dots per inch).
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/user32/WinUser.h"
#include "ui/CDialog.h"

class CDialogMeasureDC : public platform::DeviceContext {
public:
    explicit CDialogMeasureDC(const CDialog& dialog) : m_dialog(dialog) {}
    int Caps(int index) const override { return m_dialog.LogPixels(index); }
    void DrawImage(const platform::PixelImage&, int, int, int, int, int, int, int, int) override {}

private:
    const CDialog& m_dialog;
};
