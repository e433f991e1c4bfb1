// CBlueEdit and CBlueRichEdit: edit controls in the skin's colours, with the
// skin's two-pixel border in colour 4 for a client edge. A rich edit's
// background is colour 18 unless its owner set another (EM_SETBKGNDCOLOR),
// and the system draws its frame only when it has scroll bars.
#pragma once

#include "ui/skin/CSkinControl.h"

class CBlueEdit : public CSkinControl {
public:
    explicit CBlueEdit(WORD id) : CSkinControl(SkinControlKind::Edit, id) {}
    // Whether the toolkit draws its own frame: not with a client edge.
    virtual bool SystemFrame() const;

protected:
    CBlueEdit(SkinControlKind kind, WORD id) : CSkinControl(kind, id) {}
};

class CBlueRichEdit : public CBlueEdit {
public:
    explicit CBlueRichEdit(WORD id) : CBlueEdit(SkinControlKind::RichEdit, id) {}
    bool SystemFrame() const override;
    CSkinPalette Palette() const override;
};
