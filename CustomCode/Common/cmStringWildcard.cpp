// cmString::CompareWildcard and the conversions into a cmBuffer.
#include "CustomCode/Common/cmBuffer.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmString.h"

#include "platform/kernel32/CodePage.h"

#include <cstring>

bool cmString::CompareWildcard(LPCSTR szMask, LPCSTR szText)
{
    CM_TRACE_FUNCTION(0x10, "cmString::CompareWildcard");
    const char* mask = szMask != nullptr ? szMask : "";
    const char* text = szText != nullptr ? szText : "";
    CM_TRACE_PRINT(CM_DEBUG_INFO, "Mask: %s, UserString: %s", mask, text);
    std::size_t m = 0, t = 0;
    bool result = true;
    bool decided = false;
    while (!decided && mask[m] != '\0' && text[t] != '\0') {
        const char c = mask[m];
        if (c == '?') {
            ++m;
            ++t;
        } else if (c == '*') {
            const char next = mask[m + 1];
            if (next == '\0') {
                decided = true;  // a trailing asterisk takes the rest
            } else if (next == '?' || next == '*') {
                result = false;
                decided = true;
            } else {
                // The literal run after the asterisk, matched at its first
                // occurrence in the rest of the text.
                std::size_t runLength = 0;
                while (mask[m + 1 + runLength] != '\0' && mask[m + 1 + runLength] != '*' &&
                       mask[m + 1 + runLength] != '?')
                    ++runLength;
                const std::string run(mask + m + 1, runLength);
                const char* hit = std::strstr(text + t, run.c_str());
                if (hit == nullptr) {
                    result = false;
                    decided = true;
                } else {
                    t = static_cast<std::size_t>(hit - text) + runLength;
                    m += 1 + runLength;
                }
            }
        } else if (c != text[t]) {
            result = false;
            decided = true;
        } else {
            ++m;
            ++t;
        }
    }
    if (!decided)
        result = mask[m] == text[t] || (mask[m] == '*' && mask[m + 1] == '\0');
    CM_TRACE_RETURN_AS(result ? "true" : "false", result);
}

HRESULT cmString::CopyToBuffer(cmBuffer& buffer, cmStringBufferType eType) const
{
    if (eType != cmStringBufferType::Narrow && eType != cmStringBufferType::Wide)
        return E_INVALIDARG;
    if (m_text == nullptr)
        return E_POINTER;
    const std::size_t units = static_cast<std::size_t>(m_length) + 1;
    const std::size_t need = eType == cmStringBufferType::Narrow ? units : 2 * units;
    if (need > 0xFFFFFFFFu)
        return E_OUTOFMEMORY;
    if (buffer.GetSize() < need) {
        const HRESULT hr = buffer.Allocate(static_cast<DWORD>(need));
        if (FAILED(hr))
            return hr;
    }
    if (eType == cmStringBufferType::Narrow) {
        std::memcpy(buffer.GetData(), m_text, units);
        return S_OK;
    }
    // UTF-8 never needs more UTF-16 units than it has bytes, so the text and
    // its terminator fit; whatever is left over is zero.
    const std::u16string wide = platform::Utf8ToUtf16(m_text, units);
    std::memset(buffer.GetData(), 0, need);
    std::memcpy(buffer.GetData(), wide.data(), wide.size() * sizeof(char16_t));
    return S_OK;
}
