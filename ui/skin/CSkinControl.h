// CSkinControl: the base of the wrappers that take over a dialog control's
// look. A wrapper either paints the control itself (static texts, bitmap
// buttons, group boxes, progress bars, check boxes and radio buttons) or
// gives the toolkit's own control the skin's colours, and may paint a border
// over it. The dialog owns its wrappers; the view asks for them by control
// id and paints through them.
#pragma once

#include "ui/DialogCanvas.h"
#include "ui/skin/SkinControlMap.h"

#include <string>

class CDialog;
struct CDialogControl;

// What the view knows of the control when it paints.
struct CSkinControlState {
    int cx = 0;  // the control's size; it paints at 0, 0
    int cy = 0;
    std::string text;
    bool enabled = true;
    bool hot = false;      // the mouse is over it
    bool pressed = false;
    bool focused = false;
    bool checked = false;  // check boxes and radio buttons
    int position = 0;      // progress bars: 0 to 100
};

// The colours a recoloured control takes.
struct CSkinPalette {
    COLORREF window = 0;         // behind the control
    COLORREF windowText = 0;
    COLORREF base = 0;           // the control's own field (edit, list)
    COLORREF text = 0;           // text in that field
    COLORREF highlight = 0;
    COLORREF highlightedText = 0;
    COLORREF disabledText = 0;
    COLORREF button = 0;
    COLORREF buttonText = 0;
};

class CSkinControl {
public:
    CSkinControl(SkinControlKind kind, WORD id) : m_kind(kind), m_id(id) {}
    virtual ~CSkinControl() = default;
    CSkinControl(const CSkinControl&) = delete;
    CSkinControl& operator=(const CSkinControl&) = delete;

    SkinControlKind Kind() const { return m_kind; }
    WORD Id() const { return m_id; }

    // The set-up by kind once the wrapper is attached to the control.
    virtual void SetUp(const CDialog& dialog, const CDialogControl& control);
    // True: Paint draws the whole control. False: the toolkit paints it in
    // Palette()'s colours and PaintOverlay adds to it.
    virtual bool PaintsItself() const { return false; }
    virtual void Paint(IDialogCanvas& canvas, const CSkinControlState& state);
    virtual void PaintOverlay(IDialogCanvas& canvas, const CSkinControlState& state);
    virtual CSkinPalette Palette() const;
    // What the dialog paints behind the control with its own background
    // (a group box's gradient); nothing by default.
    virtual void PaintBackground(IDialogCanvas& canvas, const RECT& rect) const;

protected:
    // The control as the dialog holds it now; null before the set-up.
    const CDialogControl* Control() const;
    const CDialog* Dialog() const { return m_dialog; }

private:
    SkinControlKind m_kind;
    WORD m_id;
    const CDialog* m_dialog = nullptr;
};

// The skin's frame of two pixels around a control with a client edge.
void PaintClientEdge(IDialogCanvas& canvas, int cx, int cy);
