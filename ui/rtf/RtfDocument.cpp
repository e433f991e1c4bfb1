#include "ui/rtf/RtfDocument.h"

std::string RtfDocument::PlainText() const
{
    std::string text;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        if (i != 0)
            text.push_back('\n');
        for (const RtfRun& run : paragraphs[i].runs)
            text += run.text;
    }
    return text;
}
