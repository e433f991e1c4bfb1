// Dialog templates: a small text form, one statement per line, compiled into
// the Windows dialog template layout (DLGTEMPLATE with its items):
//
//   DIALOG x, y, cx, cy                        position and size in dialog units
//   STYLE WS_POPUP | WS_CAPTION | DS_MODALFRAME
//   EXSTYLE WS_EX_TOPMOST                      optional
//   CAPTION "text"                             optional
//   FONT 8, "MS Sans Serif"                    optional; adds DS_SETFONT
//   CONTROL "text", id, "Button", BS_DEFPUSHBUTTON | WS_VISIBLE, x, y, cx, cy [, exstyle]
//
// Styles are numbers or the usual WS_, WS_EX_, DS_, BS_, SS_ and ES_ names
// joined by '|'. The classes "Button", "Edit", "Static", "ListBox",
// "ScrollBar" and "ComboBox" become their predefined atoms; any other class
// is kept by name. Texts take the C escapes of the string tables. Blank
// lines and lines starting with '#' are ignored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rescomp {

// False with "origin:line: what" in error.
bool CompileDialog(const std::string& text, const std::string& origin, std::vector<std::uint8_t>& out,
                   std::string& error);

}  // namespace rescomp
