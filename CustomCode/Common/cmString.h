// cmString: the program's one text type, a growable narrow (UTF-8) string on
// the COM task allocator with copy semantics. Copies never share buffers.
#pragma once

#include "platform/WinError.h"
#include "platform/WinTypes.h"

class cmString {
public:
    cmString();
    cmString(LPCSTR sz);  // a null text gives an empty string
    cmString(LPCSTR sz, DWORD cb);
    cmString(const cmString& other);
    virtual ~cmString();

    cmString& operator=(const cmString& other);
    cmString& operator=(LPCSTR sz);

    // The text; never a null pointer (an empty string gives "").
    LPCSTR GetText() const;
    operator LPCSTR() const { return GetText(); }
    DWORD GetLengthInTchars() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }

    bool operator==(const cmString& other) const;
    bool operator==(LPCSTR sz) const;
    bool operator!=(const cmString& other) const { return !(*this == other); }
    bool operator!=(LPCSTR sz) const { return !(*this == sz); }
    // Byte order of the multibyte run-time; the ordering of string-keyed maps.
    bool operator<(const cmString& other) const;
    bool operator>(const cmString& other) const;

private:
    void Assign(LPCSTR sz, DWORD cb);
    void Free();

    char* m_text = nullptr;
    DWORD m_length = 0;
    DWORD m_capacity = 0;
    BYTE m_locked = 0;
    char m_emptyText = '\0';
};
