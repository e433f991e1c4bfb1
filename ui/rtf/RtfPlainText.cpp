#include "ui/rtf/RtfPlainText.h"

#include "platform/kernel32/CodePage.h"
#include "platform/linux/CodePageDecoder.h"
#include "ui/rtf/RtfDocumentBuilder.h"

#include <string>

RtfDocument ReadPlainText(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return RtfDocument{};
    std::string text;
    if (platform::IsUtf8(data, size)) {
        // A byte order mark is not text.
        std::size_t skip = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF ? 3 : 0;
        text.assign(reinterpret_cast<const char*>(data) + skip, size - skip);
    } else {
        text = platform::DecodeCodePage(1252, data, size);
    }

    RtfDocumentBuilder builder;
    const RtfCharFormat chars;
    const RtfParagraphFormat paragraph;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        builder.Append(std::string_view(text).substr(start, i - start), chars, paragraph);
        builder.EndParagraph(paragraph);
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    builder.Append(std::string_view(text).substr(start), chars, paragraph);
    return builder.Finish(false);
}
