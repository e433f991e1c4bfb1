// The Qt widgets of a dialog's controls. Each control becomes the Qt widget
// of its kind; a skinned control's widget paints through its wrapper
// (CSkinControl::Paint) or takes the wrapper's palette and overlay, and
// stays the standard widget for everything else: focus, keys, clicks and
// what assistive technology reads (a bitmap button is still a push button
// named by its caption, a static text still a label with its text).
#pragma once

#include "ui/CDialog.h"
#include "ui/skin/CSkinControl.h"

class QWidget;

// The widget for control c inside parent, skinned by skin (null: none).
QWidget* CreateControlWidget(const CDialogControl& c, CSkinControl* skin, QWidget* parent);

// A control's text as its widget shows it, and a new text for it.
void SetControlWidgetText(QWidget* widget, const std::string& text);
