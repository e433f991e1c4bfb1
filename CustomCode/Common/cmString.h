// cmString: the program's one text type, a growable narrow (UTF-8) string on
// the COM task allocator with copy semantics. Copies never share buffers.
//
// GetLengthInTchars counts bytes. Positions and counts given to the searching
// and slicing operations (Find, Mid, Left, Right, RemoveMid, InsertString,
// the trims) count UTF-8 characters: a lead byte and its trail bytes are one
// character, a byte that starts no well-formed sequence is one character of
// its own. For ASCII text the two agree. Character access (GetAt) and
// CompareWildcard work on bytes. Comparisons are byte order (code point
// order for UTF-8); the case-insensitive forms and MakeUpper/MakeLower fold
// ASCII letters only.
#pragma once

#include "platform/kernel32/CodePage.h"
#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

#include <cstdarg>
#include <cstddef>

class cmBuffer;

// Case rule of a comparison.
enum class cmStringCase { Sensitive, Insensitive };

// Whether a string load tries the fall-back languages when the requested one fails.
enum class cmLanguageFallBack { Off, On };

// The form a conversion into a cmBuffer takes. Other values are refused.
enum class cmStringBufferType : int { Narrow = 0, Wide = 1 };

class cmString {
public:
    static constexpr int FORWARD = 1;
    static constexpr int BACKWARD = -1;
    static constexpr DWORD ALL = 0xFFFFFFFFu;

    cmString();
    cmString(LPCSTR sz);  // a null text gives an empty string
    cmString(std::nullptr_t);
    // Exactly cb bytes, then a terminator (the bytes may hold NULs).
    cmString(LPCSTR sz, DWORD cb);
    explicit cmString(char ch);
    // Wide (UTF-16) text up to its terminator, or exactly cch units; a COM
    // string converts as (bstr, SysStringLen(bstr)). Converted to UTF-8;
    // units that cannot be converted become U+FFFD.
    explicit cmString(const char16_t* wsz);
    cmString(const char16_t* pwch, DWORD cch);
    // A resource: see Load.
    cmString(UINT uIdOrType, LPCSTR szName, HMODULE hModule, WORD wLanguage = 0);
    cmString(const cmString& other);
    cmString(cmString&& other) noexcept;
    virtual ~cmString();

    // Assigning a string to itself, or the string's own text, does nothing;
    // a null text empties it. Capacity afterwards is the length + 1. When the
    // allocation fails the string is left empty.
    cmString& operator=(const cmString& other);
    cmString& operator=(cmString&& other) noexcept;
    cmString& operator=(LPCSTR sz);

    // The text; never a null pointer (an empty string gives "").
    LPCSTR GetText() const;
    operator LPCSTR() const { return GetText(); }
    DWORD GetLengthInTchars() const { return m_length; }
    DWORD GetLengthInCharacters() const;
    bool IsEmpty() const { return m_length == 0; }
    DWORD GetCapacity() const { return m_capacity; }
    void Empty();

    // The byte at nIndex, or a blank (0x20) at or past the end (and below 0).
    char GetAt(LONG nIndex) const;
    char operator[](LONG nIndex) const { return GetAt(nIndex); }

    // Makes the capacity at least nMinLength + 1 (a new buffer is zero-filled
    // and receives the old bytes), marks the string locked and returns the
    // writable buffer; null when the allocation fails (nothing changes then).
    LPSTR GetBuffer(DWORD nMinLength);
    // Length := nNewLength (kept inside the buffer) and terminates; with -1
    // the text is measured up to its first NUL, and a buffer without one
    // leaves the string empty. Clears the lock.
    void ReleaseBuffer(LONG nNewLength = -1);
    // For outside writers: E_ACCESSDENIED when already locked, else hands out
    // the buffer (null when the string has none) and sets the lock.
    HRESULT Lock(LPSTR* ppBuffer);
    // E_ACCESSDENIED when not locked.
    HRESULT Unlock();
    bool IsLocked() const { return m_locked != 0; }
    // Reallocates to max(length + 1, nMinCapacity) when that is below the
    // capacity. E_OUTOFMEMORY when the reallocation fails.
    HRESULT Shrink(DWORD nMinCapacity = 0);

    bool operator==(const cmString& other) const;
    bool operator==(LPCSTR sz) const;
    bool operator!=(const cmString& other) const { return !(*this == other); }
    bool operator!=(LPCSTR sz) const { return !(*this == sz); }
    // Byte order of the multibyte run-time; the ordering of string-keyed maps.
    bool operator<(const cmString& other) const;
    bool operator>(const cmString& other) const;
    // < 0, 0 or > 0 as strcmp; Insensitive compares ASCII-lower-cased bytes.
    int Compare(LPCSTR sz, cmStringCase eCase = cmStringCase::Sensitive) const;
    // Compares with string table entry id of the program's own module (an
    // entry that cannot be loaded compares as the empty text).
    int CompareToResource(UINT id, cmStringCase eCase = cmStringCase::Sensitive) const;

    // Searches from nPos (characters). A position below 0 or beyond the
    // length sets nPos to 0 and gives false. FORWARD: the first occurrence at
    // or after nPos. BACKWARD (any negative direction): nPos counts back from
    // the end (0 = the last character) and the nearest occurrence from there
    // towards the start is found. On a hit nPos is the occurrence's index
    // counted from the start; on a miss it becomes -1.
    bool Find(LPCSTR szText, LONG& nPos, int nDirection = FORWARD) const;
    bool Find(char ch, LONG& nPos, int nDirection = FORWARD) const;

    // Empty when nStart is at or beyond the length; nCount is cut to what remains.
    cmString Mid(DWORD nStart, DWORD nCount = ALL) const;
    cmString Left(DWORD nCount) const { return Mid(0, nCount); }
    // The last nCount characters, or the whole string when it is shorter.
    cmString Right(DWORD nCount) const;
    // What lies between the first szStart and the first szEnd after it;
    // empty when either is missing.
    cmString GetTextBetween(LPCSTR szStart, LPCSTR szEnd) const;

    friend cmString operator+(const cmString& a, const cmString& b);
    friend cmString operator+(const cmString& a, LPCSTR b);
    friend cmString operator+(LPCSTR a, const cmString& b);
    cmString& operator+=(const cmString& other);
    cmString& operator+=(LPCSTR sz);
    cmString& operator+=(char ch);
    // Appends cb bytes; E_OUTOFMEMORY leaves the string as it was.
    HRESULT Append(LPCSTR sz, DWORD cb);

    // Removes up to nCount characters from nStart: S_OK when nStart is within
    // the length (nStart == length removes nothing), S_FALSE and no change
    // when it is beyond.
    HRESULT RemoveMid(DWORD nStart, DWORD nCount);
    // Inserts sz (null: nothing) before character nOffset; an offset beyond
    // the length fails the check "(nOffset<=GetLengthInTchars())" with
    // E_INVALIDARG. In multibyte text an offset within the bytes but beyond
    // the characters fails "(nOffset<=GetLengthInCharacters())".
    HRESULT InsertString(LPCSTR sz, DWORD nOffset);
    // Replaces every occurrence of szFind and returns how many were replaced.
    // Each pass searches again from the start; when szReplace itself holds
    // szFind (which would never end) one pass from left to right is made.
    DWORD ReplaceAll(LPCSTR szFind, LPCSTR szReplace);
    // Remove leading / trailing white space (blank, tab, line ends, and the
    // Unicode spaces such as U+00A0 and U+3000); return how many characters went.
    DWORD TrimLeft();
    DWORD TrimRight();
    void MakeUpper();
    void MakeLower();

    // Replaces the content with the FormatMessageA result of a format with
    // inserts ("%1!d!", "(0x%1!08x!) %2!s!"); see platform/kernel32/FormatMessage.h.
    // On failure the string is empty and the code says why.
    HRESULT Format(LPCSTR szFormat, ...);
    HRESULT FormatV(LPCSTR szFormat, va_list args);
    // The format is string table entry idFormat of the program's own module.
    HRESULT FormatResource(UINT idFormat, ...);
    // The system's text for a Win32 error or result code, inserts left as
    // they are, line breaks as blanks; S_FALSE and empty when there is none.
    HRESULT FormatSystemMessage(DWORD dwMessageId);
    // The number as "%1!d!" writes it.
    HRESULT FormatNumber(LONG n);

    // Narrow: length + 1 bytes, terminator included. Wide: 2 x (length + 1)
    // bytes holding the UTF-16 text and its terminator. The buffer grows when
    // smaller (it is never shrunk). E_POINTER when the string has no buffer,
    // E_INVALIDARG for another type.
    HRESULT CopyToBuffer(cmBuffer& buffer, cmStringBufferType eType) const;

    // Empties the string, then loads:
    // - with szName: the resource of type uIdOrType, that name and language,
    //   byte for byte (its size becomes the length); true when found;
    // - without a name and language 0: string table entry uIdOrType through
    //   LoadStringA (1024-byte buffer); true when not empty;
    // - without a name and with a language: block uIdOrType / 16 + 1 of that
    //   language, entry uIdOrType mod 16; false when missing or empty.
    bool Load(UINT uIdOrType, LPCSTR szName, HMODULE hModule, WORD wLanguage);
    // Load of string id in wLanguage; when that fails and eFallBack is On,
    // then in turn the system default language (when it differs), wLanguage's
    // primary language with the default sub-language, and 1033. The first
    // success wins; false (and empty) when none succeeded.
    bool LoadStringForLanguage(UINT id, WORD wLanguage, cmLanguageFallBack eFallBack, HMODULE hModule);

    // Pattern match with '?' (one byte) and '*' (a literal run found at its
    // first occurrence only; no backtracking). Byte-wise, case-sensitive.
    static bool CompareWildcard(LPCSTR szMask, LPCSTR szText);

private:
    void Assign(LPCSTR sz, DWORD cb);
    void Free();
    // Capacity for at least cbLength bytes plus the terminator, content kept.
    bool Reserve(DWORD cbLength);
    // Replaces bytes [off, off + cbOld) with cbNew bytes from p.
    bool Splice(DWORD off, DWORD cbOld, LPCSTR p, DWORD cbNew);
    // Byte offset of character nChar (the length when it is beyond).
    DWORD ByteOffset(DWORD nChar) const;
    bool FindBytes(LPCSTR p, DWORD cb, LONG& nPos, int nDirection) const;

    char* m_text = nullptr;
    DWORD m_length = 0;
    DWORD m_capacity = 0;
    BYTE m_locked = 0;
    char m_emptyText = '\0';
};
