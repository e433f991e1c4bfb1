#include "ui/rtf/RtfDecoderCache.h"

const platform::CodePageDecoder& RtfDecoderCache::For(unsigned codePage)
{
    auto it = m_decoders.find(codePage);
    if (it != m_decoders.end())
        return *it->second;
    if (m_decoders.size() >= kMaxDecoders)
        m_decoders.clear();
    it = m_decoders.emplace(codePage, std::make_unique<platform::CodePageDecoder>(codePage)).first;
    return *it->second;
}
