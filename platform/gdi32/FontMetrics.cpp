#include "platform/gdi32/FontMetrics.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "platform/kernel32/Environment.h"
#include "platform/kernel32/SystemLibrary.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <vector>

namespace platform {

namespace {

// FreeType and fontconfig, loaded the first time a font is measured: only a
// run that shows a dialog needs them.
class FreeType : public SystemLibrary<FreeType> {
public:
    decltype(&FT_Init_FreeType) Init_FreeType = nullptr;
    decltype(&FT_Done_FreeType) Done_FreeType = nullptr;
    decltype(&FT_New_Face) New_Face = nullptr;
    decltype(&FT_Done_Face) Done_Face = nullptr;
    decltype(&FT_Set_Pixel_Sizes) Set_Pixel_Sizes = nullptr;
    decltype(&FT_Load_Char) Load_Char = nullptr;
    decltype(&FT_Get_Sfnt_Table) Get_Sfnt_Table = nullptr;
    decltype(&FT_MulFix) MulFix = nullptr;

private:
    friend SystemLibrary<FreeType>;
    FreeType()
    {
        Load("libfreetype.so.6", Entry(Init_FreeType, "FT_Init_FreeType"), Entry(Done_FreeType, "FT_Done_FreeType"),
             Entry(New_Face, "FT_New_Face"), Entry(Done_Face, "FT_Done_Face"),
             Entry(Set_Pixel_Sizes, "FT_Set_Pixel_Sizes"), Entry(Load_Char, "FT_Load_Char"),
             Entry(Get_Sfnt_Table, "FT_Get_Sfnt_Table"), Entry(MulFix, "FT_MulFix"));
    }
};

class Fontconfig : public SystemLibrary<Fontconfig> {
public:
    decltype(&FcInitLoadConfigAndFonts) InitLoadConfigAndFonts = nullptr;
    decltype(&FcConfigDestroy) ConfigDestroy = nullptr;
    decltype(&FcNameParse) NameParse = nullptr;
    decltype(&FcConfigSubstitute) ConfigSubstitute = nullptr;
    decltype(&FcDefaultSubstitute) DefaultSubstitute = nullptr;
    decltype(&FcFontMatch) FontMatch = nullptr;
    decltype(&FcPatternGetString) PatternGetString = nullptr;
    decltype(&FcPatternDestroy) PatternDestroy = nullptr;

private:
    friend SystemLibrary<Fontconfig>;
    Fontconfig()
    {
        Load("libfontconfig.so.1", Entry(InitLoadConfigAndFonts, "FcInitLoadConfigAndFonts"),
             Entry(ConfigDestroy, "FcConfigDestroy"), Entry(NameParse, "FcNameParse"),
             Entry(ConfigSubstitute, "FcConfigSubstitute"), Entry(DefaultSubstitute, "FcDefaultSubstitute"),
             Entry(FontMatch, "FcFontMatch"), Entry(PatternGetString, "FcPatternGetString"),
             Entry(PatternDestroy, "FcPatternDestroy"));
    }
};

// The file fontconfig matches for the family; empty when none.
std::string MatchFontFile(const std::string& family)
{
    const Fontconfig& fc = Fontconfig::Get();
    if (!fc.Loaded())
        return {};
    FcConfig* config = fc.InitLoadConfigAndFonts();
    if (config == nullptr)
        return {};
    std::string file;
    FcPattern* pattern = fc.NameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    if (pattern != nullptr) {
        fc.ConfigSubstitute(config, pattern, FcMatchPattern);
        fc.DefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = fc.FontMatch(config, pattern, &result);
        if (match != nullptr) {
            FcChar8* path = nullptr;
            if (fc.PatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr)
                file = reinterpret_cast<const char*>(path);
            fc.PatternDestroy(match);
        }
        fc.PatternDestroy(pattern);
    }
    fc.ConfigDestroy(config);
    return file;
}

// The font folders fontconfig reads by default: fonts/ in the user's and the
// system's XDG data folders, and ~/.fonts.
std::vector<std::string> FontFolders()
{
    std::vector<std::string> folders;
    std::string dataHome = GetEnv("XDG_DATA_HOME");
    const std::string home = GetEnv("HOME");
    if (dataHome.empty() && !home.empty())
        dataHome = home + "/.local/share";
    if (!dataHome.empty())
        folders.push_back(dataHome + "/fonts");
    std::string dataDirs = GetEnv("XDG_DATA_DIRS");
    if (dataDirs.empty())
        dataDirs = "/usr/local/share:/usr/share";
    std::istringstream dirs(dataDirs);
    for (std::string d; std::getline(dirs, d, ':');)
        if (!d.empty())
            folders.push_back(d + "/fonts");
    if (!home.empty())
        folders.push_back(home + "/.fonts");
    return folders;
}

// A file that may hold the family's regular face, found by the name font
// makers give it ("DejaVu Sans" in DejaVuSans.ttf) in the font folders:
// reading fontconfig's whole setup to find it costs more than the rest of a
// dialog's first appearance. Empty when there is none; the caller checks the
// face inside and asks fontconfig otherwise.
std::string FindFontFileByName(const std::string& family)
{
    std::string base;
    for (char c : family)
        if (c != ' ')
            base += c;
    namespace fs = std::filesystem;
    for (const std::string& folder : FontFolders()) {
        std::error_code ec;
        fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            if (it.depth() > 4) {
                it.disable_recursion_pending();
                continue;
            }
            const std::string name = it->path().filename().string();
            if ((name == base + ".ttf" || name == base + ".otf") && it->is_regular_file(ec))
                return it->path().string();
        }
    }
    return {};
}

struct LibraryCloser {
    void operator()(FT_Library lib) const { FreeType::Get().Done_FreeType(lib); }
};
struct FaceCloser {
    void operator()(FT_Face face) const { FreeType::Get().Done_Face(face); }
};

// Whether the face is the family's regular one, as fontconfig would choose it
// for the family name alone.
bool IsRegularFaceOf(FT_Face face, const std::string& family)
{
    if (face->family_name == nullptr || family != face->family_name)
        return false;
    const char* style = face->style_name != nullptr ? face->style_name : "";
    return std::strcmp(style, "Book") == 0 || std::strcmp(style, "Regular") == 0;
}

}  // namespace

bool MeasureFontBaseUnits(const std::string& family, int pixelSize, FontBaseUnits* units, std::string* file)
{
    if (units == nullptr || pixelSize <= 0)
        return false;
    const FreeType& ft = FreeType::Get();
    FT_Library rawLib = nullptr;
    if (!ft.Loaded() || ft.Init_FreeType(&rawLib) != 0)
        return false;
    std::unique_ptr<FT_LibraryRec_, LibraryCloser> lib(rawLib);
    auto open = [&](const std::string& path) -> std::unique_ptr<FT_FaceRec_, FaceCloser> {
        FT_Face rawFace = nullptr;
        if (path.empty() || ft.New_Face(lib.get(), path.c_str(), 0, &rawFace) != 0)
            return nullptr;
        return std::unique_ptr<FT_FaceRec_, FaceCloser>(rawFace);
    };
    std::string path = FindFontFileByName(family);
    std::unique_ptr<FT_FaceRec_, FaceCloser> face = open(path);
    if (!face || !IsRegularFaceOf(face.get(), family)) {
        path = MatchFontFile(family);
        face = open(path);
    }
    if (file != nullptr)
        *file = face ? path : std::string();
    if (!face)
        return false;
    if (ft.Set_Pixel_Sizes(face.get(), 0, static_cast<FT_UInt>(pixelSize)) != 0)
        return false;
    // Windows averages the advance widths of the 52 letters and rounds the
    // half-up: (sum / 26 + 1) / 2.
    long sum = 0;
    for (const char* letters : {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz"}) {
        for (const char* p = letters; *p != '\0'; ++p) {
            if (ft.Load_Char(face.get(), static_cast<FT_ULong>(*p), FT_LOAD_DEFAULT) != 0)
                return false;
            sum += (face->glyph->advance.x + 32) >> 6;
        }
    }
    units->cx = static_cast<int>((sum / 26 + 1) / 2);
    // The character height as Windows gives it for a TrueType face: the
    // face's Windows ascent and descent (the OS/2 table), each scaled to the
    // size and rounded to the nearest pixel. FreeType's size metrics round
    // both up, which makes DejaVu Sans at 11 px 14 high instead of 13 and
    // every dialog taller than its template says.
    const FT_Fixed scale = face->size->metrics.y_scale;
    FT_Long ascent = face->ascender;
    FT_Long descent = -face->descender;
    const auto* os2 = static_cast<const TT_OS2*>(ft.Get_Sfnt_Table(face.get(), FT_SFNT_OS2));
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    }
    units->cy = static_cast<int>(((ft.MulFix(ascent, scale) + 32) >> 6) + ((ft.MulFix(descent, scale) + 32) >> 6));
    return units->cx > 0 && units->cy > 0;
}

}  // namespace platform
