// cmPacket reads on outside bytes. The input starts with a count n (its first
// byte, mod 17) and n operation bytes; the rest is the packet. Each
// operation is a read (bytes, number, text, byte block, nested packet,
// variant) or a cursor move. A read that fails must leave the cursor where
// it was; one that succeeds must stay within the valid bytes, and texts,
// byte blocks and nested packets written back must give the bytes they
// were read from.
// fuzz-layers: cmlib
#include "CustomCode/Common/cmPacket.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// The bytes a successful counted read consumed must be what writing the
// value back produces.
template <class T>
void CheckWriteBack(const cmPacket& p, DWORD before, const T& value)
{
    cmPacket again;
    HRESULT hr = S_OK;
    if constexpr (std::is_same_v<T, cmString>)
        hr = again.WriteString(value);
    else if constexpr (std::is_same_v<T, cmBuffer>)
        hr = again.WriteBuffer(value);
    else
        hr = again.WritePacket(value);
    Require(SUCCEEDED(hr));
    Require(again.GetSize() == p.GetCursor() - before);
    Require(std::memcmp(again.GetData(), p.GetData() + before, again.GetSize()) == 0);
}

void RunOps(cmPacket& p, const std::uint8_t* ops, std::size_t nOps, int depth)
{
    for (std::size_t i = 0; i < nOps; ++i) {
        const DWORD before = p.GetCursor();
        HRESULT hr = S_OK;
        const std::uint8_t op = ops[i];
        switch (op % 8) {
        case 0: {
            std::vector<BYTE> buf(op >> 3);
            hr = p.ReadBytes(buf.data(), static_cast<DWORD>(buf.size()));
            break;
        }
        case 1: {
            DWORD n = 0;
            hr = p.ReadNumber(n);
            break;
        }
        case 2: {
            cmString s;
            hr = p.ReadString(s);
            if (SUCCEEDED(hr))
                CheckWriteBack(p, before, s);
            break;
        }
        case 3: {
            cmBuffer b;
            hr = p.ReadBuffer(b);
            if (SUCCEEDED(hr))
                CheckWriteBack(p, before, b);
            break;
        }
        case 4: {
            cmPacket nested;
            hr = p.ReadPacket(nested);
            if (SUCCEEDED(hr)) {
                CheckWriteBack(p, before, nested);
                if (depth < 4)
                    RunOps(nested, ops + i + 1, nOps - i - 1, depth + 1);
            }
            break;
        }
        case 5:
        case 6: {
            VARIANT v;
            VariantInit(&v);
            hr = p.ReadVariant(&v);
            if (SUCCEEDED(hr)) {
                cmPacket again;
                Require(SUCCEEDED(again.WriteVariant(v)));
            } else {
                Require(v.vt == VT_EMPTY);
            }
            Require(SUCCEEDED(VariantClear(&v)));
            break;
        }
        default:
            p.SetCursor(p.GetSize() == 0 ? 0 : (op >> 3) % (p.GetSize() + 1));
            continue;
        }
        Require(p.GetCursor() <= p.GetSize());
        if (FAILED(hr))
            Require(p.GetCursor() == before);
        else
            Require(p.GetCursor() >= before);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 0xFFFFFFFFu)
        return 0;
    const std::size_t nOps = std::min<std::size_t>(data[0] % 17, size - 1);
    cmPacket p(data + 1 + nOps, static_cast<DWORD>(size - 1 - nOps));
    RunOps(p, data + 1, nOps, 0);
    return 0;
}
