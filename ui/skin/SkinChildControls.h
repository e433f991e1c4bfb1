// SkinChildControls: gives every child control of a skinned window the
// wrapper its window class and style call for (SkinControlMap), in the order
// of the dialog's controls. The wrappers go to the window's list of skinned
// controls, which owns them.
#pragma once

#include "ui/skin/SkinControlMap.h"

#include <memory>

class CDappleDialog;
class CSkinControl;

// The wrapper of a kind; null for SkinControlKind::None.
std::unique_ptr<CSkinControl> MakeSkinControl(SkinControlKind kind, WORD id);

void SkinChildControls(CDappleDialog& window);
