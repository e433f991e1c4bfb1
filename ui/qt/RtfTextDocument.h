// An RtfDocument shown by Qt: the paragraphs become the blocks of a
// QTextDocument with their alignment and indents, the runs its character
// formats. Indents are twips, turned into pixels of 96 dots per inch.
#pragma once

#include "ui/rtf/RtfDocument.h"

class QFont;
class QTextDocument;

// Replaces the whole content of target. A document read as plain text
// (isRtf false) is shown in baseFont only; an RTF one's runs take their
// sizes, styles and colours from the document and baseFont's family where
// the document names no font.
void FillTextDocument(const RtfDocument& doc, QTextDocument& target, const QFont& baseFont);
