// The code page decoders one read uses, kept open for the whole read: a
// document switches between a few code pages (its own, its fonts') many
// times, and opening a converter costs far more than using one.
#pragma once

#include "platform/linux/CodePageDecoder.h"

#include <map>
#include <memory>

class RtfDecoderCache {
public:
    // At most this many decoders are kept; a document that names more code
    // pages (which no real one does) starts the cache afresh.
    static constexpr std::size_t kMaxDecoders = 8;

    const platform::CodePageDecoder& For(unsigned codePage);

private:
    std::map<unsigned, std::unique_ptr<platform::CodePageDecoder>> m_decoders;
};
