#include "platform/ole/Variant.h"

#include "platform/ole/TaskAllocator.h"
#include "platform/ole/VariantConvert.h"

#include <cstring>

// ---------------------------------------------------------------- BSTR

namespace {

// A BSTR block: the 4-byte byte count, the bytes, then two zero bytes (a
// UTF-16 terminator, whole even when the byte count is odd).
constexpr std::size_t kPrefix = sizeof(std::uint32_t);
constexpr std::size_t kSuffix = 2;

BSTR AllocBytes(const void* pData, std::uint64_t cb)
{
    if (cb > 0xFFFFFFFFull - kPrefix - kSuffix)
        return nullptr;
    BYTE* block = static_cast<BYTE*>(CoTaskMemAlloc(static_cast<std::size_t>(cb) + kPrefix + kSuffix));
    if (block == nullptr)
        return nullptr;
    const std::uint32_t n = static_cast<std::uint32_t>(cb);
    std::memcpy(block, &n, kPrefix);
    if (cb != 0) {
        if (pData != nullptr)
            std::memcpy(block + kPrefix, pData, static_cast<std::size_t>(cb));
        else
            std::memset(block + kPrefix, 0, static_cast<std::size_t>(cb));
    }
    block[kPrefix + cb] = 0;
    block[kPrefix + cb + 1] = 0;
    return reinterpret_cast<BSTR>(block + kPrefix);
}

}  // namespace

BSTR SysAllocString(LPCOLESTR psz)
{
    if (psz == nullptr)
        return nullptr;
    std::uint64_t n = 0;
    while (psz[n] != 0)
        ++n;
    return AllocBytes(psz, n * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui)
{
    return AllocBytes(strIn, static_cast<std::uint64_t>(ui) * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len) { return AllocBytes(psz, len); }

void SysFreeString(BSTR bstrString)
{
    if (bstrString != nullptr)
        CoTaskMemFree(reinterpret_cast<BYTE*>(bstrString) - kPrefix);
}

UINT SysStringByteLen(BSTR bstr)
{
    if (bstr == nullptr)
        return 0;
    std::uint32_t n = 0;
    std::memcpy(&n, reinterpret_cast<const BYTE*>(bstr) - kPrefix, kPrefix);
    return n;
}

UINT SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }

// ---------------------------------------------------------------- VARIANT

void VariantInit(VARIANTARG* pvarg)
{
    if (pvarg != nullptr)
        std::memset(pvarg, 0, sizeof(VARIANT));
}

HRESULT VariantClear(VARIANTARG* pvarg)
{
    if (pvarg == nullptr)
        return E_INVALIDARG;
    const VARTYPE vt = pvarg->vt;
    if ((vt & VT_BYREF) == 0) {
        if ((vt & VT_ARRAY) != 0 || vt == VT_RECORD) {
            if (pvarg->byref != nullptr)
                return DISP_E_BADVARTYPE;
        } else if (vt == VT_BSTR) {
            SysFreeString(pvarg->bstrVal);
        } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            if (pvarg->punkVal != nullptr)
                pvarg->punkVal->Release();
        }
    }
    std::memset(pvarg, 0, sizeof(VARIANT));
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc)
{
    if (pvargDest == nullptr || pvargSrc == nullptr)
        return E_INVALIDARG;
    if (pvargDest == pvargSrc)
        return S_OK;
    const VARTYPE vt = pvargSrc->vt;
    if ((vt & VT_BYREF) == 0 && ((vt & VT_ARRAY) != 0 || vt == VT_RECORD) && pvargSrc->byref != nullptr)
        return DISP_E_BADVARTYPE;
    HRESULT hr = VariantClear(pvargDest);
    if (FAILED(hr))
        return hr;
    VARIANT copy;
    std::memcpy(&copy, pvargSrc, sizeof(VARIANT));
    if ((vt & VT_BYREF) == 0) {
        if (vt == VT_BSTR && pvargSrc->bstrVal != nullptr) {
            copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(pvargSrc->bstrVal),
                                                 SysStringByteLen(pvargSrc->bstrVal));
            if (copy.bstrVal == nullptr)
                return E_OUTOFMEMORY;
        } else if ((vt == VT_UNKNOWN || vt == VT_DISPATCH) && pvargSrc->punkVal != nullptr) {
            pvargSrc->punkVal->AddRef();
        }
    }
    std::memcpy(pvargDest, &copy, sizeof(VARIANT));
    return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt)
{
    if (pvargDest == nullptr || pvarSrc == nullptr)
        return E_INVALIDARG;
    // Built aside, so a failure leaves the destination (which may be the
    // source) as it was.
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = platform::ConvertVariant(*pvarSrc, wFlags, vt, result);
    if (FAILED(hr))
        return hr;
    if (pvargDest == pvarSrc) {
        VARIANT old;
        std::memcpy(&old, pvargDest, sizeof(VARIANT));
        std::memcpy(pvargDest, &result, sizeof(VARIANT));
        VariantClear(&old);
        return S_OK;
    }
    hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    std::memcpy(pvargDest, &result, sizeof(VARIANT));
    return S_OK;
}

// ---------------------------------------------------------------- record images

namespace platform {

namespace {

void PutLE(BYTE* p, std::uint64_t v, std::size_t cb)
{
    for (std::size_t i = 0; i < cb; ++i)
        p[i] = static_cast<BYTE>(v >> (8 * i));
}

std::uint64_t GetLE(const BYTE* p, std::size_t cb)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < cb; ++i)
        v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return v;
}

// Width in bytes of the value of a record type, or 0 for none.
std::size_t ValueWidth(VARTYPE vt)
{
    switch (vt) {
    case VT_I1:
    case VT_UI1: return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL: return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR: return 4;
    case VT_R8:
    case VT_DATE:
    case VT_CY:
    case VT_I8:
    case VT_UI8: return 8;
    default: return 0;
    }
}

std::uint64_t ValueBits(const VARIANT& v)
{
    switch (ValueWidth(v.vt)) {
    case 1: return v.bVal;
    case 2: return v.uiVal;
    case 4: return v.ulVal;
    case 8: return v.ullVal;
    default: return 0;
    }
}

void SetValueBits(VARIANT& v, std::uint64_t bits)
{
    switch (ValueWidth(v.vt)) {
    case 1: v.bVal = static_cast<BYTE>(bits); break;
    case 2: v.uiVal = static_cast<USHORT>(bits); break;
    case 4: v.ulVal = static_cast<ULONG>(bits); break;
    case 8: v.ullVal = bits; break;
    default: break;
    }
}

}  // namespace

bool IsVariantRecordType(VARTYPE vt)
{
    return vt <= VT_DATE || vt == VT_ERROR || vt == VT_BOOL || vt == VT_DECIMAL || (vt >= VT_I1 && vt <= VT_UINT);
}

void VariantToRecordImage(const VARIANT& v, BYTE (&image)[kVariantRecordSize])
{
    std::memset(image, 0, kVariantRecordSize);
    PutLE(image, v.vt, 2);
    if (v.vt == VT_DECIMAL) {
        image[2] = v.decVal.scale;
        image[3] = v.decVal.sign;
        PutLE(image + 4, v.decVal.Hi32, 4);
        PutLE(image + 8, v.decVal.Lo64, 8);
        return;
    }
    PutLE(image + 2, v.wReserved1, 2);
    PutLE(image + 4, v.wReserved2, 2);
    PutLE(image + 6, v.wReserved3, 2);
    if (IsVariantRecordType(v.vt))
        PutLE(image + 8, ValueBits(v), ValueWidth(v.vt));
}

HRESULT VariantFromRecordImage(VARIANT& v, const BYTE* image, std::size_t cb)
{
    BYTE full[kVariantRecordSize] = {};
    if (cb > kVariantRecordSize)
        cb = kVariantRecordSize;
    if (cb != 0)
        std::memcpy(full, image, cb);
    const VARTYPE vt = static_cast<VARTYPE>(GetLE(full, 2));
    if (!IsVariantRecordType(vt))
        return E_INVALIDARG;
    std::memset(&v, 0, sizeof(VARIANT));
    v.vt = vt;
    if (vt == VT_DECIMAL) {
        v.decVal.scale = full[2];
        v.decVal.sign = full[3];
        v.decVal.Hi32 = static_cast<ULONG>(GetLE(full + 4, 4));
        v.decVal.Lo64 = GetLE(full + 8, 8);
        return S_OK;
    }
    v.wReserved1 = static_cast<WORD>(GetLE(full + 2, 2));
    v.wReserved2 = static_cast<WORD>(GetLE(full + 4, 2));
    v.wReserved3 = static_cast<WORD>(GetLE(full + 6, 2));
    SetValueBits(v, GetLE(full + 8, ValueWidth(vt)));
    return S_OK;
}

}  // namespace platform
