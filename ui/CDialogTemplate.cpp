#include "ui/CDialogTemplate.h"

#include "platform/kernel32/CodePage.h"
#include "platform/kernel32/MulDiv.h"

namespace {

// A reading position over the template's bytes; every read checks the end.
class Reader {
public:
    Reader(const BYTE* p, std::size_t cb) : m_p(p), m_cb(cb) {}

    bool Word(WORD& v)
    {
        if (m_cb - m_pos < 2)
            return false;
        v = static_cast<WORD>(m_p[m_pos] | (m_p[m_pos + 1] << 8));
        m_pos += 2;
        return true;
    }
    bool Short(int& v)
    {
        WORD w = 0;
        if (!Word(w))
            return false;
        v = static_cast<std::int16_t>(w);
        return true;
    }
    bool Dword(DWORD& v)
    {
        WORD lo = 0, hi = 0;
        if (!Word(lo) || !Word(hi))
            return false;
        v = lo | (static_cast<DWORD>(hi) << 16);
        return true;
    }
    // A NUL-terminated UTF-16 text.
    bool Text(std::string& out)
    {
        std::u16string wide;
        for (;;) {
            WORD c = 0;
            if (!Word(c))
                return false;
            if (c == 0)
                break;
            wide.push_back(static_cast<char16_t>(c));
        }
        out = platform::Utf16ToUtf8(wide.data(), wide.size());
        return true;
    }
    // A text, or 0xFFFF and an ordinal (ordinal given as its number).
    bool TextOrOrdinal(std::string& text, WORD& ordinal)
    {
        const std::size_t at = m_pos;
        WORD first = 0;
        if (!Word(first))
            return false;
        if (first == 0xFFFF)
            return Word(ordinal);
        m_pos = at;
        ordinal = 0;
        return Text(text);
    }
    bool AlignDword()
    {
        const std::size_t aligned = (m_pos + 3) & ~static_cast<std::size_t>(3);
        if (aligned > m_cb)
            return false;
        m_pos = aligned;
        return true;
    }
    bool Skip(std::size_t n)
    {
        if (m_cb - m_pos < n)
            return false;
        m_pos += n;
        return true;
    }

private:
    const BYTE* m_p;
    std::size_t m_cb;
    std::size_t m_pos = 0;
};

constexpr DWORD DS_SETFONT = 0x40;

bool ReadRect(Reader& r, CDialogRect& rect) { return r.Short(rect.x) && r.Short(rect.y) && r.Short(rect.cx) && r.Short(rect.cy); }

}  // namespace

bool CDialogTemplate::Parse(const BYTE* pData, std::size_t cb)
{
    *this = CDialogTemplate();
    if (pData == nullptr)
        return false;
    Reader r(pData, cb);
    WORD count = 0, ordinal = 0;
    std::string menu, windowClass;
    bool ok = r.Dword(style) && r.Dword(exStyle) && r.Word(count) && ReadRect(r, rect) &&
              r.TextOrOrdinal(menu, ordinal) && r.TextOrOrdinal(windowClass, ordinal) && r.Text(caption);
    if (ok && (style & DS_SETFONT) != 0)
        ok = r.Word(fontPointSize) && r.Text(fontName);
    for (WORD i = 0; ok && i < count; ++i) {
        CDialogItem item;
        WORD extra = 0, textOrdinal = 0;
        ok = r.AlignDword() && r.Dword(item.style) && r.Dword(item.exStyle) && ReadRect(r, item.rect) &&
             r.Word(item.id) && r.TextOrOrdinal(item.className, item.classAtom) &&
             r.TextOrOrdinal(item.text, textOrdinal) && r.Word(extra) && r.Skip(extra);
        if (ok)
            items.push_back(std::move(item));
    }
    if (!ok)
        *this = CDialogTemplate();
    return ok;
}

bool CDialogTemplate::Load(WORD id, HMODULE hModule)
{
    HRSRC hRes = FindResourceA(hModule, MAKEINTRESOURCEA(id), RT_DIALOG);
    if (hRes == nullptr)
        return false;
    HGLOBAL hData = LoadResource(hModule, hRes);
    const DWORD cb = SizeofResource(hModule, hRes);
    return hData != nullptr && Parse(static_cast<const BYTE*>(LockResource(hData)), cb);
}

const CDialogItem* CDialogTemplate::Find(WORD id) const
{
    for (const CDialogItem& item : items) {
        if (item.id == id)
            return &item;
    }
    return nullptr;
}

CDialogRect MapDialogRect(const CDialogRect& units, const CDialogBaseUnits& base)
{
    CDialogRect px;
    px.x = MulDiv(units.x, base.cx, 4);
    px.y = MulDiv(units.y, base.cy, 8);
    px.cx = MulDiv(units.cx, base.cx, 4);
    px.cy = MulDiv(units.cy, base.cy, 8);
    return px;
}
