// CGuiModule: the GUI toolkit module, loaded and started the first time a
// dialog must become visible. A run that shows nothing never loads it.
//
// The module is NotifierQt.so beside the program, one folder up (where the
// test programs live) or in ../lib/notifier/ (installed), or the file
// $BRELVO_GUI_MODULE names.
#pragma once

#include "ui/DialogView.h"

class CGuiModule {
public:
    // The started toolkit, or null when the module cannot be loaded or no
    // display can be reached (the reason goes to the log once).
    static IGuiToolkit* Toolkit();
    // Whether the module has been loaded in this process.
    static bool IsLoaded();
};
