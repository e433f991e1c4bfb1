// The character metrics of a font face at a pixel size, read from the font
// file that fontconfig chooses for the family name (FreeType). The dialogs
// turn their dialog units into pixels with the base units derived from them.
#pragma once

#include <string>

namespace platform {

struct FontBaseUnits {
    int cx = 0;  // average width of the letters A-Z and a-z, rounded as Windows does
    int cy = 0;  // character height: ascent plus descent
};

// The base units of family at pixelSize (em height in pixels); false when no
// font can be found or read. *file (when not null) gets the font file used.
bool MeasureFontBaseUnits(const std::string& family, int pixelSize, FontBaseUnits* units, std::string* file = nullptr);

}  // namespace platform
