#include "platform/gdi32/FontMetrics.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>

namespace platform {

namespace {

// The file fontconfig matches for the family; empty when none.
std::string MatchFontFile(const std::string& family)
{
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr)
        return {};
    std::string file;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    if (pattern != nullptr) {
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        if (match != nullptr) {
            FcChar8* path = nullptr;
            if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr)
                file = reinterpret_cast<const char*>(path);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return file;
}

struct LibraryCloser {
    void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceCloser {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};

}  // namespace

bool MeasureFontBaseUnits(const std::string& family, int pixelSize, FontBaseUnits* units, std::string* file)
{
    if (units == nullptr || pixelSize <= 0)
        return false;
    const std::string path = MatchFontFile(family);
    if (file != nullptr)
        *file = path;
    if (path.empty())
        return false;
    FT_Library rawLib = nullptr;
    if (FT_Init_FreeType(&rawLib) != 0)
        return false;
    std::unique_ptr<FT_LibraryRec_, LibraryCloser> lib(rawLib);
    FT_Face rawFace = nullptr;
    if (FT_New_Face(lib.get(), path.c_str(), 0, &rawFace) != 0)
        return false;
    std::unique_ptr<FT_FaceRec_, FaceCloser> face(rawFace);
    if (FT_Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(pixelSize)) != 0)
        return false;
    // Windows averages the advance widths of the 52 letters and rounds the
    // half-up: (sum / 26 + 1) / 2.
    long sum = 0;
    for (const char* letters : {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz"}) {
        for (const char* p = letters; *p != '\0'; ++p) {
            if (FT_Load_Char(face.get(), static_cast<FT_ULong>(*p), FT_LOAD_DEFAULT) != 0)
                return false;
            sum += (face->glyph->advance.x + 32) >> 6;
        }
    }
    units->cx = static_cast<int>((sum / 26 + 1) / 2);
    const FT_Size_Metrics& m = face->size->metrics;
    units->cy = static_cast<int>(((m.ascender + 63) >> 6) + ((-m.descender + 63) >> 6));
    return units->cx > 0 && units->cy > 0;
}

}  // namespace platform
