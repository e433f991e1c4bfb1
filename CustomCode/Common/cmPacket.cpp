#include "CustomCode/Common/cmPacket.h"

#include "platform/kernel32/FileApi.h"
#include "platform/kernel32/LastError.h"
#include "platform/ole/TaskAllocator.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr DWORD kNumberSize = 4;
constexpr DWORD kMinCapacity = 64;
// Blocks whose size is not known in advance are read in pieces that grow
// with what has arrived, so a false count costs no more memory than the
// bytes really present (plus one piece).
constexpr DWORD kFirstPiece = 64 * 1024;

void PutNumber(BYTE* p, DWORD dw)
{
    p[0] = static_cast<BYTE>(dw);
    p[1] = static_cast<BYTE>(dw >> 8);
    p[2] = static_cast<BYTE>(dw >> 16);
    p[3] = static_cast<BYTE>(dw >> 24);
}

DWORD GetNumber(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

// A block of task-allocator memory that is freed unless released.
class ScopedBlock {
public:
    ScopedBlock() = default;
    ScopedBlock(const ScopedBlock&) = delete;
    ScopedBlock& operator=(const ScopedBlock&) = delete;
    ~ScopedBlock() { CoTaskMemFree(m_p); }

    bool Resize(DWORD cb)
    {
        void* p = CoTaskMemRealloc(m_p, cb);
        if (p == nullptr)
            return false;
        m_p = static_cast<BYTE*>(p);
        return true;
    }
    BYTE* Get() const { return m_p; }
    BYTE* Release()
    {
        BYTE* p = m_p;
        m_p = nullptr;
        return p;
    }

private:
    BYTE* m_p = nullptr;
};

// The next piece of a block of total bytes of which done have arrived.
DWORD NextPiece(DWORD done, DWORD total) { return std::min(total - done, std::max(kFirstPiece, done)); }

}  // namespace

cmPacket::cmPacket(const void* pData, DWORD cb)
{
    if (cb != 0 && Reserve(cb) == S_OK)
        Put(pData, cb);
    m_cursor = 0;
}

cmPacket::cmPacket(const cmPacket& other)
{
    if (other.m_cb != 0 && Reserve(other.m_cb) == S_OK)
        Put(other.m_pData, other.m_cb);
    m_cursor = m_cb == other.m_cb ? other.m_cursor : 0;
}

cmPacket::cmPacket(cmPacket&& other) noexcept
    : m_pData(other.m_pData), m_cb(other.m_cb), m_capacity(other.m_capacity), m_cursor(other.m_cursor)
{
    other.m_pData = nullptr;
    other.m_cb = other.m_capacity = other.m_cursor = 0;
}

cmPacket& cmPacket::operator=(const cmPacket& other)
{
    if (this != &other) {
        cmPacket copy(other);
        *this = std::move(copy);
    }
    return *this;
}

cmPacket& cmPacket::operator=(cmPacket&& other) noexcept
{
    if (this != &other) {
        Free();
        std::swap(m_pData, other.m_pData);
        std::swap(m_cb, other.m_cb);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_cursor, other.m_cursor);
    }
    return *this;
}

cmPacket::~cmPacket() { Free(); }

void cmPacket::Free()
{
    CoTaskMemFree(m_pData);
    m_pData = nullptr;
    m_cb = m_capacity = m_cursor = 0;
}

void cmPacket::Adopt(BYTE* pData, DWORD cb, DWORD capacity)
{
    Free();
    m_pData = pData;
    m_cb = cb;
    m_capacity = capacity;
    m_cursor = 0;
}

HRESULT cmPacket::SetCursor(DWORD dwCursor)
{
    if (dwCursor > m_cb)
        return E_INVALIDARG;
    m_cursor = dwCursor;
    return S_OK;
}

// ------------------------------------------------------------------ writing

HRESULT cmPacket::Reserve(DWORD cb)
{
    if (cb > 0xFFFFFFFFu - m_cursor)
        return E_OUTOFMEMORY;
    const DWORD end = m_cursor + cb;
    if (end <= m_capacity)
        return S_OK;
    std::uint64_t want = std::max<std::uint64_t>({static_cast<std::uint64_t>(m_capacity) * 2, end, kMinCapacity});
    want = std::min<std::uint64_t>(want, 0xFFFFFFFFu);
    void* p = CoTaskMemRealloc(m_pData, static_cast<std::size_t>(want));
    if (p == nullptr && want > end) {
        want = end;  // doubling was too much; try exactly what is needed
        p = CoTaskMemRealloc(m_pData, want);
    }
    if (p == nullptr)
        return E_OUTOFMEMORY;
    m_pData = static_cast<BYTE*>(p);
    m_capacity = static_cast<DWORD>(want);
    return S_OK;
}

void cmPacket::Put(const void* pData, DWORD cb)
{
    if (cb != 0) {
        if (pData != nullptr)
            std::memmove(m_pData + m_cursor, pData, cb);
        else
            std::memset(m_pData + m_cursor, 0, cb);
    }
    m_cursor += cb;
    m_cb = m_cursor;
}

HRESULT cmPacket::WriteBytes(const void* pData, DWORD cb)
{
    // The source may lie in our own array, which Reserve can move.
    const BYTE* src = static_cast<const BYTE*>(pData);
    const bool inside = src != nullptr && m_pData != nullptr && src >= m_pData && src < m_pData + m_capacity;
    const std::size_t offset = inside ? static_cast<std::size_t>(src - m_pData) : 0;
    HRESULT hr = Reserve(cb);
    if (FAILED(hr))
        return hr;
    Put(inside ? m_pData + offset : pData, cb);
    return S_OK;
}

HRESULT cmPacket::WriteNumber(DWORD dw)
{
    HRESULT hr = Reserve(kNumberSize);
    if (FAILED(hr))
        return hr;
    BYTE b[kNumberSize];
    PutNumber(b, dw);
    Put(b, kNumberSize);
    return S_OK;
}

HRESULT cmPacket::WriteCounted(const void* pData, DWORD cb, DWORD nPrefix, const DWORD* pPrefix)
{
    // Room for everything first, so that a failure leaves nothing half written.
    const std::uint64_t total = static_cast<std::uint64_t>(nPrefix) * kNumberSize + kNumberSize + cb;
    if (total > 0xFFFFFFFFu)
        return E_OUTOFMEMORY;
    HRESULT hr = Reserve(static_cast<DWORD>(total));
    if (FAILED(hr))
        return hr;
    BYTE b[kNumberSize];
    for (DWORD i = 0; i < nPrefix; ++i) {
        PutNumber(b, pPrefix[i]);
        Put(b, kNumberSize);
    }
    PutNumber(b, cb);
    Put(b, kNumberSize);
    Put(pData, cb);
    return S_OK;
}

HRESULT cmPacket::WriteString(const cmString& sz) { return WriteCounted(sz.GetText(), sz.GetLengthInTchars()); }

HRESULT cmPacket::WriteBuffer(const cmBuffer& buf) { return WriteCounted(buf.GetData(), buf.GetSize()); }

HRESULT cmPacket::WritePacket(const cmPacket& packet)
{
    if (&packet == this) {
        // Writing the count would overwrite what is about to be copied.
        const cmPacket copy(*this);
        if (copy.m_cb != m_cb)
            return E_OUTOFMEMORY;
        return WriteCounted(copy.m_pData, copy.m_cb);
    }
    return WriteCounted(packet.m_pData, packet.m_cb);
}

HRESULT cmPacket::WriteVariant(const VARIANT& var)
{
    const VARTYPE vt = var.vt;
    // The kind is chosen from the whole type field: a by-reference or array
    // variant holds a pointer in its record, which must never be stored.
    if (platform::IsVariantRecordType(vt)) {
        BYTE image[platform::kVariantRecordSize];
        platform::VariantToRecordImage(var, image);
        const DWORD prefix[2] = {kVariantRecord, vt};
        return WriteCounted(image, sizeof image, 2, prefix);
    }
    if (vt == VT_BSTR) {
        const DWORD prefix[2] = {kVariantString, vt};
        return WriteCounted(var.bstrVal, SysStringByteLen(var.bstrVal), 2, prefix);
    }
    HRESULT hr = Reserve(2 * kNumberSize);
    if (FAILED(hr))
        return hr;
    BYTE b[kNumberSize];
    PutNumber(b, kVariantNoValue);
    Put(b, kNumberSize);
    PutNumber(b, vt);
    Put(b, kNumberSize);
    return S_OK;
}

// ------------------------------------------------------------------ reading

HRESULT cmPacket::ReadBytes(void* pData, DWORD cb)
{
    if (cb > GetRemaining())
        return E_INVALIDARG;
    if (cb != 0) {
        if (pData == nullptr)
            return E_POINTER;
        std::memcpy(pData, m_pData + m_cursor, cb);
    }
    m_cursor += cb;
    return S_OK;
}

HRESULT cmPacket::ReadNumber(DWORD& dw)
{
    if (GetRemaining() < kNumberSize)
        return E_INVALIDARG;
    dw = GetNumber(m_pData + m_cursor);
    m_cursor += kNumberSize;
    return S_OK;
}

HRESULT cmPacket::PeekCounted(const BYTE*& pBlock, DWORD& cb) const
{
    const DWORD remaining = GetRemaining();
    if (remaining < kNumberSize)
        return E_INVALIDARG;
    cb = GetNumber(m_pData + m_cursor);
    if (cb > remaining - kNumberSize)
        return E_INVALIDARG;
    pBlock = m_pData + m_cursor + kNumberSize;
    return S_OK;
}

HRESULT cmPacket::ReadString(cmString& sz)
{
    const BYTE* p = nullptr;
    DWORD cb = 0;
    HRESULT hr = PeekCounted(p, cb);
    if (FAILED(hr))
        return hr;
    cmString text(reinterpret_cast<LPCSTR>(p), cb);
    if (text.GetLengthInTchars() != cb)
        return E_OUTOFMEMORY;
    sz = text;
    m_cursor += kNumberSize + cb;
    return S_OK;
}

HRESULT cmPacket::ReadBuffer(cmBuffer& buf)
{
    const BYTE* p = nullptr;
    DWORD cb = 0;
    HRESULT hr = PeekCounted(p, cb);
    if (FAILED(hr))
        return hr;
    hr = buf.Set(cb, p);
    if (FAILED(hr))
        return hr;
    m_cursor += kNumberSize + cb;
    return S_OK;
}

HRESULT cmPacket::ReadPacket(cmPacket& packet)
{
    const BYTE* p = nullptr;
    DWORD cb = 0;
    HRESULT hr = PeekCounted(p, cb);
    if (FAILED(hr))
        return hr;
    cmPacket nested(p, cb);
    if (nested.GetSize() != cb)
        return E_OUTOFMEMORY;
    m_cursor += kNumberSize + cb;  // before the move: packet may be this packet
    packet = std::move(nested);
    return S_OK;
}

HRESULT cmPacket::ReadVariant(VARIANT* pvar)
{
    if (pvar == nullptr)
        return E_POINTER;
    HRESULT hr = VariantClear(pvar);
    if (FAILED(hr))
        return hr;
    const DWORD start = m_cursor;
    DWORD kind = 0, type = 0;
    hr = ReadNumber(kind);
    if (SUCCEEDED(hr) && kind != kVariantNoValue && kind != kVariantRecord && kind != kVariantString)
        hr = E_INVALIDARG;  // an unknown kind: nothing after it can be trusted
    if (SUCCEEDED(hr))
        hr = ReadNumber(type);
    if (FAILED(hr)) {
        m_cursor = start;
        return hr;
    }
    if (kind == kVariantNoValue) {
        pvar->vt = static_cast<VARTYPE>(type);
        return S_OK;
    }
    const BYTE* p = nullptr;
    DWORD cb = 0;
    hr = PeekCounted(p, cb);
    if (FAILED(hr)) {
        m_cursor = start;
        return hr;
    }
    VARIANT value;
    VariantInit(&value);
    if (kind == kVariantRecord) {
        hr = platform::VariantFromRecordImage(value, p, cb);
        if (SUCCEEDED(hr))
            hr = VariantCopy(pvar, &value);
    } else {
        BSTR b = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(p), cb);
        if (b == nullptr) {
            hr = E_OUTOFMEMORY;
        } else {
            value.vt = VT_BSTR;
            value.bstrVal = b;
            hr = VariantCopy(pvar, &value);
        }
    }
    VariantClear(&value);
    if (FAILED(hr)) {
        m_cursor = start;
        return hr;
    }
    m_cursor += kNumberSize + cb;
    return S_OK;
}

// ------------------------------------------------------------------ files and streams

DWORD cmPacket::ReadWholeFile(HANDLE hFile)
{
    DWORD high = 0;
    const DWORD low = GetFileSize(hFile, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return GetLastError();
    if (high != 0)
        return ERROR_NOT_ENOUGH_MEMORY;  // a packet holds less than 4 GiB
    ScopedBlock block;
    if (low != 0 && !block.Resize(low))
        return ERROR_NOT_ENOUGH_MEMORY;
    DWORD read = 0;
    if (!::ReadFile(hFile, block.Get(), low, &read, nullptr))
        return GetLastError();
    Adopt(block.Release(), read, low);
    return ERROR_SUCCESS;
}

namespace {

// How many bytes lie between the file position and the end, if the file
// can tell (a regular file can; a pipe cannot).
bool BytesLeftInFile(HANDLE hFile, std::uint64_t& left)
{
    DWORD sizeHigh = 0;
    const DWORD sizeLow = GetFileSize(hFile, &sizeHigh);
    if (sizeLow == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return false;
    LONG posHigh = 0;
    const DWORD posLow = SetFilePointer(hFile, 0, &posHigh, FILE_CURRENT);
    if (posLow == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS)
        return false;
    const std::uint64_t size = (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
    const std::uint64_t pos = (static_cast<std::uint64_t>(static_cast<DWORD>(posHigh)) << 32) | posLow;
    left = size > pos ? size - pos : 0;
    return true;
}

}  // namespace

DWORD cmPacket::ReadCountedBlock(HANDLE hFile, DWORD* pdwCount, bool* pbCountRead)
{
    if (pbCountRead != nullptr)
        *pbCountRead = false;
    BYTE countBytes[kNumberSize];
    DWORD read = 0;
    if (!::ReadFile(hFile, countBytes, kNumberSize, &read, nullptr))
        return GetLastError();
    if (read != kNumberSize)
        return ERROR_HANDLE_EOF;
    const DWORD cb = GetNumber(countBytes);
    if (pdwCount != nullptr)
        *pdwCount = cb;
    if (pbCountRead != nullptr)
        *pbCountRead = true;
    std::uint64_t left = 0;
    const bool sizeKnown = BytesLeftInFile(hFile, left);
    if (sizeKnown && cb > left)
        return ERROR_HANDLE_EOF;  // refused before allocating for a count the file cannot back

    ScopedBlock block;
    DWORD done = 0;
    while (done < cb) {
        const DWORD piece = sizeKnown ? cb - done : NextPiece(done, cb);
        if (!block.Resize(done + piece))
            return ERROR_NOT_ENOUGH_MEMORY;
        if (!::ReadFile(hFile, block.Get() + done, piece, &read, nullptr))
            return GetLastError();
        done += read;
        if (read != piece)
            return ERROR_HANDLE_EOF;
    }
    Adopt(block.Release(), cb, cb);
    return ERROR_SUCCESS;
}

HRESULT cmPacket::ReadCountedBlock(ISequentialStream* pStream)
{
    if (pStream == nullptr)
        return E_POINTER;
    const HRESULT eof = HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
    BYTE countBytes[kNumberSize];
    ULONG read = 0;
    HRESULT hr = pStream->Read(countBytes, kNumberSize, &read);
    if (FAILED(hr))
        return hr;
    if (read != kNumberSize)
        return eof;
    const DWORD cb = GetNumber(countBytes);
    ScopedBlock block;
    DWORD done = 0;
    while (done < cb) {
        const DWORD piece = NextPiece(done, cb);
        if (!block.Resize(done + piece))
            return E_OUTOFMEMORY;
        read = 0;
        hr = pStream->Read(block.Get() + done, piece, &read);
        if (FAILED(hr))
            return hr;
        if (read > piece)
            return E_UNEXPECTED;  // a stream that claims more than it was asked for
        done += read;
        if (read != piece)
            return eof;
    }
    Adopt(block.Release(), cb, cb);
    return S_OK;
}

// ------------------------------------------------------------------ comparison

bool cmPacket::operator==(const cmPacket& other) const
{
    return m_cb == other.m_cb && (m_cb == 0 || std::memcmp(m_pData, other.m_pData, m_cb) == 0);
}

bool cmPacket::operator<(const cmPacket& other) const
{
    const DWORD n = std::min(m_cb, other.m_cb);
    return n != 0 && std::memcmp(m_pData, other.m_pData, n) < 0;
}
