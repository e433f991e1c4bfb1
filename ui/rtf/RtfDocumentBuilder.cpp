#include "ui/rtf/RtfDocumentBuilder.h"

RtfParagraph& RtfDocumentBuilder::Current()
{
    if (m_document.paragraphs.empty())
        m_document.paragraphs.emplace_back();
    return m_document.paragraphs.back();
}

void RtfDocumentBuilder::Append(std::string_view utf8, const RtfCharFormat& chars,
                                const RtfParagraphFormat& paragraph)
{
    if (utf8.empty())
        return;
    RtfParagraph& p = Current();
    p.format = paragraph;
    if (p.runs.empty() || !(p.runs.back().format == chars))
        p.runs.push_back(RtfRun{std::string(), chars});
    p.runs.back().text.append(utf8);
}

void RtfDocumentBuilder::EndParagraph(const RtfParagraphFormat& paragraph)
{
    Current().format = paragraph;
    m_document.paragraphs.emplace_back();
}

RtfDocument RtfDocumentBuilder::Finish(bool isRtf)
{
    if (!m_document.paragraphs.empty() && m_document.paragraphs.back().runs.empty())
        m_document.paragraphs.pop_back();
    m_document.isRtf = isRtf;
    return std::move(m_document);
}
