// Collects the paragraphs and runs of an RtfDocument as the reader produces
// text: text of the format the last run has joins that run, a paragraph takes
// the paragraph format in effect at its last text or at its end.
#pragma once

#include "ui/rtf/RtfDocument.h"

#include <string_view>

class RtfDocumentBuilder {
public:
    void Append(std::string_view utf8, const RtfCharFormat& chars, const RtfParagraphFormat& paragraph);
    // \par: the current paragraph ends (an empty one too), a new one starts.
    void EndParagraph(const RtfParagraphFormat& paragraph);

    // The document; a last paragraph without text (what follows the final
    // \par) is not part of it.
    RtfDocument Finish(bool isRtf);

private:
    RtfParagraph& Current();

    RtfDocument m_document;
};
