// CDialogTemplate: a dialog template resource (the Windows DLGTEMPLATE
// layout, dialog units) read into plain fields, for the dialog view to
// build its window from. Reading stays inside the bytes it is given and
// refuses a template that does not fit them.
#pragma once

#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// A rectangle in dialog units or pixels.
struct CDialogRect {
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct CDialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    CDialogRect rect;
    WORD id = 0;
    // A predefined class (0x80 button, 0x81 edit, 0x82 static ...), or 0
    // with the class name in className.
    WORD classAtom = 0;
    std::string className;
    std::string text;  // UTF-8
};

class CDialogTemplate {
public:
    static constexpr WORD kButton = 0x80;
    static constexpr WORD kEdit = 0x81;
    static constexpr WORD kStatic = 0x82;

    // Reads template bytes; false (and the object emptied) when they are not
    // a whole template.
    bool Parse(const BYTE* pData, std::size_t cb);
    // Reads the RT_DIALOG resource of that id from a module (null: the
    // program's own).
    bool Load(WORD id, HMODULE hModule = nullptr);

    DWORD style = 0;
    DWORD exStyle = 0;
    CDialogRect rect;
    std::string caption;
    WORD fontPointSize = 0;  // 0 when the template names no font
    std::string fontName;
    std::vector<CDialogItem> items;

    // The item with that id, or null.
    const CDialogItem* Find(WORD id) const;
};

// The dialog font's base units, in pixels: the average character width and
// the character height, as MapDialogRect uses them.
struct CDialogBaseUnits {
    int cx = 0;
    int cy = 0;
};

// Dialog units to pixels as MapDialogRect converts them.
CDialogRect MapDialogRect(const CDialogRect& units, const CDialogBaseUnits& base);
