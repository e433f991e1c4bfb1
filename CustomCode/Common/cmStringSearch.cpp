// cmString: searching, slicing and in-place editing.
#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmString.h"
#include "CustomCode/Common/cmStringChars.h"

#include <cstring>
#include <vector>

namespace {

// Byte offsets where the characters of a text start, plus the end.
std::vector<DWORD> CharStarts(const char* p, DWORD cb)
{
    std::vector<DWORD> starts;
    DWORD i = 0;
    while (i < cb) {
        starts.push_back(i);
        i += cmStringChars::CharBytes(p + i, cb - i);
    }
    starts.push_back(cb);
    return starts;
}

}  // namespace

bool cmString::FindBytes(LPCSTR p, DWORD cb, LONG& nPos, int nDirection) const
{
    const char* text = GetText();
    const std::vector<DWORD> starts = CharStarts(text, m_length);
    const LONG nChars = static_cast<LONG>(starts.size() - 1);
    if (nPos < 0 || nPos > nChars) {
        nPos = 0;
        return false;
    }
    auto matchesAt = [&](LONG c) {
        const DWORD off = starts[static_cast<std::size_t>(c)];
        return off + cb <= m_length && std::memcmp(text + off, p, cb) == 0;
    };
    if (nDirection >= 0) {
        for (LONG c = nPos; c <= nChars; ++c) {
            if (matchesAt(c)) {
                nPos = c;
                return true;
            }
        }
    } else {
        // As if a reversed copy were searched forward from nPos: the nearest
        // occurrence that ends at or before character (length - nPos - 1).
        const LONG needleChars = static_cast<LONG>(cmStringChars::CountChars(p, cb));
        for (LONG c = nChars - nPos - needleChars; c >= 0; --c) {
            if (matchesAt(c)) {
                nPos = c;
                return true;
            }
        }
    }
    nPos = -1;
    return false;
}

bool cmString::Find(LPCSTR szText, LONG& nPos, int nDirection) const
{
    if (szText == nullptr) {
        const bool inRange = nPos >= 0 && static_cast<DWORD>(nPos) <= GetLengthInCharacters();
        nPos = inRange ? -1 : 0;
        return false;
    }
    return FindBytes(szText, static_cast<DWORD>(std::strlen(szText)), nPos, nDirection);
}

bool cmString::Find(char ch, LONG& nPos, int nDirection) const { return FindBytes(&ch, 1, nPos, nDirection); }

cmString cmString::Mid(DWORD nStart, DWORD nCount) const
{
    const char* text = GetText();
    const DWORD begin = ByteOffset(nStart);
    if (begin >= m_length)
        return cmString();
    const DWORD end = begin + cmStringChars::ByteOffset(text + begin, m_length - begin, nCount);
    return cmString(text + begin, end - begin);
}

cmString cmString::Right(DWORD nCount) const
{
    const DWORD n = GetLengthInCharacters();
    if (nCount >= n)
        return *this;
    return Mid(n - nCount);
}

cmString cmString::GetTextBetween(LPCSTR szStart, LPCSTR szEnd) const
{
    if (szStart == nullptr || szEnd == nullptr)
        return cmString();
    const char* text = GetText();
    const char* s = std::strstr(text, szStart);
    if (s == nullptr)
        return cmString();
    s += std::strlen(szStart);
    const char* e = std::strstr(s, szEnd);
    if (e == nullptr)
        return cmString();
    return cmString(s, static_cast<DWORD>(e - s));
}

HRESULT cmString::RemoveMid(DWORD nStart, DWORD nCount)
{
    CM_TRACE_FUNCTION(0x10, "RemoveMid");
    HRESULT hr = S_OK;
    if (nStart > GetLengthInCharacters()) {
        hr = S_FALSE;
    } else {
        const DWORD begin = ByteOffset(nStart);
        const DWORD end = begin + cmStringChars::ByteOffset(GetText() + begin, m_length - begin, nCount);
        if (end > begin && !Splice(begin, end - begin, nullptr, 0))
            hr = E_OUTOFMEMORY;
    }
    CM_TRACE_RETURN(hr);
}

HRESULT cmString::InsertString(LPCSTR sz, DWORD nOffset)
{
    CM_TRACE_FUNCTION(0x10, "InsertString");
    CM_CHECK_ARG((nOffset<=GetLengthInTchars()));
    CM_CHECK_ARG((nOffset<=GetLengthInCharacters()));
    HRESULT hr = S_OK;
    const DWORD cb = sz != nullptr ? static_cast<DWORD>(std::strlen(sz)) : 0;
    if (cb != 0 && !Splice(ByteOffset(nOffset), 0, sz, cb))
        hr = E_OUTOFMEMORY;
    CM_TRACE_RETURN(hr);
}

DWORD cmString::ReplaceAll(LPCSTR szFind, LPCSTR szReplace)
{
    if (szFind == nullptr || *szFind == '\0')
        return 0;
    if (szReplace == nullptr)
        szReplace = "";
    const DWORD cbFind = static_cast<DWORD>(std::strlen(szFind));
    const DWORD cbRepl = static_cast<DWORD>(std::strlen(szReplace));
    // Restarting from the start after each replacement would never end when
    // the replacement brings the find text back.
    const bool onePass = std::strstr(szReplace, szFind) != nullptr;
    DWORD count = 0;
    DWORD from = 0;  // byte offset where the next search starts
    for (;;) {
        LONG pos = static_cast<LONG>(cmStringChars::CountChars(GetText(), from));
        if (!FindBytes(szFind, cbFind, pos, FORWARD))
            break;
        const DWORD off = ByteOffset(static_cast<DWORD>(pos));
        if (!Splice(off, cbFind, szReplace, cbRepl))
            break;
        ++count;
        from = onePass ? off + cbRepl : 0;
    }
    return count;
}

DWORD cmString::TrimLeft()
{
    const char* text = GetText();
    DWORD off = 0, removed = 0;
    while (off < m_length) {
        const DWORD n = cmStringChars::CharBytes(text + off, m_length - off);
        if (!cmStringChars::IsSpace(text + off, n))
            break;
        off += n;
        ++removed;
    }
    if (off != 0)
        Splice(0, off, nullptr, 0);  // shrinking never allocates
    return removed;
}

DWORD cmString::TrimRight()
{
    const std::vector<DWORD> starts = CharStarts(GetText(), m_length);
    std::size_t c = starts.size() - 1;  // characters
    DWORD removed = 0;
    while (c > 0) {
        const DWORD off = starts[c - 1];
        if (!cmStringChars::IsSpace(GetText() + off, starts[c] - off))
            break;
        --c;
        ++removed;
    }
    if (removed != 0) {
        m_length = starts[c];
        m_text[m_length] = '\0';
    }
    return removed;
}

void cmString::MakeUpper()
{
    for (DWORD i = 0; i < m_length; ++i)
        m_text[i] = cmStringChars::ToUpperAscii(m_text[i]);
}

void cmString::MakeLower()
{
    for (DWORD i = 0; i < m_length; ++i)
        m_text[i] = cmStringChars::ToLowerAscii(m_text[i]);
}
