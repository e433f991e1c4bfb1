// The document an RTF description describes, as a rich-edit control would
// show it: paragraphs of runs of text with their character formats. The
// reader (RtfReader) builds it without any toolkit; the GUI module turns it
// into the toolkit's text document.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RtfCharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int fontSizeHalfPoints = 24;     // \fsN; 24 (12 points) when the document names none
    std::string fontName;            // from the font table through \fN; empty: the control's own font
    bool hasColor = false;           // \cfN with an entry of the colour table
    std::uint32_t color = 0;         // 0xRRGGBB
    bool hasBackground = false;      // \cbN / \highlightN
    std::uint32_t background = 0;    // 0xRRGGBB

    bool operator==(const RtfCharFormat&) const = default;
};

struct RtfParagraphFormat {
    enum class Align { Left, Right, Center, Justify };
    Align align = Align::Left;
    int leftIndentTwips = 0;         // \liN
    int rightIndentTwips = 0;        // \riN
    int firstLineIndentTwips = 0;    // \fiN (may be negative)

    bool operator==(const RtfParagraphFormat&) const = default;
};

struct RtfRun {
    std::string text;                // UTF-8; "\t" for \tab, U+2028 for \line
    RtfCharFormat format;
};

struct RtfParagraph {
    RtfParagraphFormat format;
    std::vector<RtfRun> runs;
};

struct RtfDocument {
    bool isRtf = false;              // false: the bytes were shown as plain text
    std::vector<RtfParagraph> paragraphs;

    // The document's text: paragraphs joined with "\n" (for tests and logs).
    std::string PlainText() const;
};
