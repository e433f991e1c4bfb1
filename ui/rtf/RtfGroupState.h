// What a group of an RTF document carries and its closing brace restores:
// the character and paragraph formats, the \uc skip count and the
// destination its text goes to.
#pragma once

#include "ui/rtf/RtfDocument.h"

enum class RtfDestination {
    Text,        // shown
    Skipped,     // read past: {\* ...}, pictures, document information, ...
    FontTable,   // \fonttbl: font entries
    ColorTable,  // \colortbl: colour entries
};

struct RtfGroupState {
    RtfCharFormat chars;        // fontName is filled in from font when text is written
    int font = -1;              // \fN; -1: the document's default font (\deffN)
    bool hidden = false;        // \v: text a rich-edit control does not show
    RtfParagraphFormat paragraph;
    int unicodeSkip = 1;        // \ucN: characters that stand for a \uN
    RtfDestination destination = RtfDestination::Text;
};
