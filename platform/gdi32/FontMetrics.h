// The character metrics of a font face at a pixel size, read with FreeType
// from the family's regular face: the file named after the family in the font
// folders (XDG data folders' fonts/, ~/.fonts) when its face is that family's
// regular one, else the file fontconfig chooses for the family name. Reading
// fontconfig's whole setup costs more than the rest of a dialog's first
// appearance, so it is read only when the shortcut finds nothing. The dialogs
// turn their dialog units into pixels with the base units derived from them.
#pragma once

#include <string>

namespace platform {

struct FontBaseUnits {
    int cx = 0;  // average width of the letters A-Z and a-z, rounded as Windows does
    int cy = 0;  // character height: ascent plus descent, each rounded as Windows does
};

// The base units of family at pixelSize (em height in pixels); false when no
// font can be found or read. *file (when not null) gets the font file used.
bool MeasureFontBaseUnits(const std::string& family, int pixelSize, FontBaseUnits* units, std::string* file = nullptr);

}  // namespace platform
