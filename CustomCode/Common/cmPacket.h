// cmPacket: the common library's serialisation medium, a growable byte array
// with one cursor on which numbers, texts, byte blocks, nested packets and
// variant values are written and read in a fixed little-endian encoding.
// The update configuration file and the object database build their formats
// from these primitives. A packet belongs to one thread at a time.
//
// Encodings (numbers are 32-bit unsigned little-endian):
//   number          4 bytes
//   counted block   a number n, then n bytes
//   text            a counted block of the narrow text, no terminator
//   byte block      a counted block of the buffer's bytes
//   nested packet   a counted block of the nested packet's bytes
//   variant         a storage kind, then the type (as a number), then
//                   kind 1 (record types: VT_EMPTY..VT_DATE, VT_ERROR, VT_BOOL,
//                          VT_DECIMAL, VT_I1..VT_UINT): a counted block of the
//                          16-byte record image;
//                   kind 2 (VT_BSTR): a counted block of the string's bytes;
//                   kind 0 (everything else: interfaces, by-reference values,
//                          arrays, pointer types): nothing; the value is not stored.
//
// Writes put their bytes at the cursor, make cursor + length the new size
// (whatever followed is dropped) and advance the cursor. Reads take bytes at
// the cursor and advance it; a read that does not fit in the valid bytes
// fails with E_INVALIDARG, reads nothing and leaves the cursor where it was
// (for counted reads too, even when the count itself was readable).
#pragma once

#include "CustomCode/Common/cmBuffer.h"
#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/ole/Unknown.h"
#include "platform/ole/Variant.h"

class cmPacket {
public:
    // Storage kinds of a variant value.
    enum VariantKind : DWORD { kVariantNoValue = 0, kVariantRecord = 1, kVariantString = 2 };

    cmPacket() = default;
    // A copy of the bytes, cursor at 0.
    cmPacket(const void* pData, DWORD cb);
    cmPacket(const cmPacket& other);  // bytes and cursor
    cmPacket(cmPacket&& other) noexcept;
    cmPacket& operator=(const cmPacket& other);
    cmPacket& operator=(cmPacket&& other) noexcept;
    ~cmPacket();

    // Writing. E_OUTOFMEMORY (nothing changed) when the packet cannot grow,
    // also past 4 GiB - 1 bytes.
    HRESULT WriteBytes(const void* pData, DWORD cb);
    HRESULT WriteNumber(DWORD dw);
    HRESULT WriteString(const cmString& sz);
    HRESULT WriteBuffer(const cmBuffer& buf);
    HRESULT WritePacket(const cmPacket& packet);  // all its bytes, whatever its cursor
    HRESULT WriteVariant(const VARIANT& var);

    // Reading.
    HRESULT ReadBytes(void* pData, DWORD cb);
    HRESULT ReadNumber(DWORD& dw);
    HRESULT ReadString(cmString& sz);
    HRESULT ReadBuffer(cmBuffer& buf);       // replaces the buffer's content
    HRESULT ReadPacket(cmPacket& packet);    // a new packet, cursor 0
    // Clears the destination first (its failure is returned). Kind 0 gives an
    // empty value whose type field is the stored type; kind 1 the record
    // (E_INVALIDARG if the record's own type is not a record type, since a
    // pointer cannot come from outside bytes); kind 2 a new BSTR. Any other
    // kind is E_INVALIDARG with the destination empty.
    HRESULT ReadVariant(VARIANT* pvar);

    // Replaces the packet with the rest of an open file: GetFileSize, then one
    // ReadFile. ERROR_SUCCESS or the Win32 error; the packet is unchanged on failure.
    DWORD ReadWholeFile(HANDLE hFile);
    // Replaces the packet with a counted block read from an open file.
    // ERROR_HANDLE_EOF when the file ends before the count or the block (a
    // count larger than what the file holds is refused before anything is
    // allocated); otherwise ERROR_SUCCESS or the Win32 error of the read.
    // pbCountRead, when given, says whether the count could be read, and
    // pdwCount receives it then.
    DWORD ReadCountedBlock(HANDLE hFile, DWORD* pdwCount = nullptr, bool* pbCountRead = nullptr);
    // The same from a stream: its failure code, HRESULT_FROM_WIN32(ERROR_HANDLE_EOF)
    // when it ends early, or S_OK. Memory grows with the bytes that arrive.
    HRESULT ReadCountedBlock(ISequentialStream* pStream);

    const BYTE* GetData() const { return m_pData; }
    DWORD GetSize() const { return m_cb; }
    DWORD GetCursor() const { return m_cursor; }
    DWORD GetRemaining() const { return m_cb - m_cursor; }
    // E_INVALIDARG beyond the size.
    HRESULT SetCursor(DWORD dwCursor);

    // Same size and bytes.
    bool operator==(const cmPacket& other) const;
    bool operator!=(const cmPacket& other) const { return !(*this == other); }
    // memcmp over the shorter length is below 0. A packet is never less than
    // one it is a prefix of (nor the other way round), so packets of which
    // one is a prefix of another compare as equivalent.
    bool operator<(const cmPacket& other) const;

private:
    // Makes room for cb bytes at the cursor; E_OUTOFMEMORY on failure.
    HRESULT Reserve(DWORD cb);
    // Writes at the cursor into room made by Reserve.
    void Put(const void* pData, DWORD cb);
    // Writes nPrefix numbers, then a counted block, all or nothing.
    HRESULT WriteCounted(const void* pData, DWORD cb, DWORD nPrefix = 0, const DWORD* pPrefix = nullptr);
    // A counted block at the cursor: its bytes and their count, without
    // moving the cursor. E_INVALIDARG when it does not fit.
    HRESULT PeekCounted(const BYTE*& pBlock, DWORD& cb) const;
    void Adopt(BYTE* pData, DWORD cb, DWORD capacity);
    void Free();

    BYTE* m_pData = nullptr;
    DWORD m_cb = 0;        // valid bytes
    DWORD m_capacity = 0;  // allocated bytes
    DWORD m_cursor = 0;
};
