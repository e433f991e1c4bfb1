// The inputs of the resource compiler: string table files and the manifest
// of binary resources.
//
// A string table file is named after its language id (1033.txt) and holds
// UTF-8 lines of the form
//     5868 "Update"
//     5873 "first part, " "second part\n"     # pieces are joined
// with C escapes (\n \r \t \\ \" \' \0 \a \b \f \v \xHH \uXXXX \UXXXXXXXX).
// A line that starts with a quoted text continues the entry above it.
// Blank lines and lines starting with '#' are ignored; an id appears once,
// texts are not empty (an empty entry cannot be told from a missing one).
//
// The manifest lists one binary resource per line, paths relative to the
// manifest's folder (the rest of the line; double quotes around it are dropped):
//     file   TYPE NAME LANGUAGE PATH   the file's bytes as they are
//     bitmap NAME LANGUAGE PATH        a .bmp without its 14-byte file header
//     dialog NAME LANGUAGE PATH        a dialog template (tools/rescomp/RescompDialog.h)
// TYPE is a number, an RT_ name (RT_BITMAP, RT_RCDATA ...) or a name of our
// own (JPG); NAME is a number or a name; names are kept in upper case.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace rescomp {

struct ResKey {
    bool isText = false;
    std::uint16_t id = 0;
    std::string text;

    bool operator==(const ResKey& o) const { return isText == o.isText && id == o.id && text == o.text; }
};

struct Resource {
    ResKey type;
    ResKey name;
    std::uint16_t language = 0;
    std::vector<std::uint8_t> data;
    std::string origin;  // file:line, for messages
};

struct StringTable {
    std::uint16_t language = 0;
    std::map<std::uint16_t, std::u16string> entries;
};

// Each returns false with a message "file:line: what" in error.
bool ReadStringTable(const std::string& path, StringTable& table, std::string& error);
bool ReadManifest(const std::string& path, std::vector<Resource>& resources, std::vector<std::string>& inputs,
                  std::string& error);

// Strict UTF-8 to UTF-16; false on any malformed sequence.
bool ToUtf16(const std::string& s, std::u16string& out);
// One quoted text with C escapes, starting at s[i] == '"'; i ends after the
// closing quote. False with the reason in what.
bool ReadQuoted(const std::string& s, std::size_t& i, std::string& out, std::string& what);

// The RT_STRING blocks of a table: block n / 16 + 1 holds entries n with
// their 16 counted UTF-16 strings, little-endian.
std::vector<Resource> BuildStringBlocks(const StringTable& table);

}  // namespace rescomp
