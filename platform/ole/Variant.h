// Automation values: VARIANT, BSTR and the OLEAUT32 calls that make, copy,
// clear and convert them.
//
// A VARIANT is a 16-byte record on every platform: the type (2 bytes), three
// reserved words, then an 8-byte value at offset 8. Pointer values (BSTR,
// interfaces, by-reference values) sit in that 8-byte slot, so the record
// stays 16 bytes on 64-bit builds too. DECIMAL overlays the whole record, its
// first word sharing the place of the type, as on Windows.
//
// A BSTR points just past a 4-byte byte count and is followed by a 2-byte
// terminator; its characters are UTF-16 code units.
#pragma once

#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/ole/Unknown.h"

#include <cstddef>
#include <cstdint>

using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using FLOAT = float;
using DOUBLE = double;
using SCODE = LONG;
using DATE = double;  // days since 30 December 1899; fraction = time of day
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_PTR = 26,
    VT_SAFEARRAY = 27,
    VT_CARRAY = 28,
    VT_USERDEFINED = 29,
    VT_LPSTR = 30,
    VT_LPWSTR = 31,
    VT_RECORD = 36,
    VT_INT_PTR = 37,
    VT_UINT_PTR = 38,
    VT_VECTOR = 0x1000,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_RESERVED = 0x8000,
    VT_TYPEMASK = 0x0FFF,
};

// Flags of VariantChangeType.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;  // booleans as "True"/"False"
constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
constexpr USHORT VARIANT_LOCALBOOL = 0x10;  // booleans as "True"/"False" (the names of the locale)

// Currency: a 64-bit count of ten-thousandths.
union CY {
    struct {
        ULONG Lo;
        LONG Hi;
    };
    LONGLONG int64;
};

// A 96-bit unsigned integer scaled by a power of ten (0 to 28), with a sign.
struct DECIMAL {
    USHORT wReserved;
    BYTE scale;
    BYTE sign;  // DECIMAL_NEG or 0
    ULONG Hi32;
    ULONGLONG Lo64;
};
constexpr BYTE DECIMAL_NEG = 0x80;

struct SAFEARRAY;  // arrays are not built by this program; only the pointer type exists

struct VARIANT {
    union {
        struct {
            VARTYPE vt;
            WORD wReserved1;
            WORD wReserved2;
            WORD wReserved3;
            union {
                LONGLONG llVal;
                LONG lVal;
                BYTE bVal;
                SHORT iVal;
                FLOAT fltVal;
                DOUBLE dblVal;
                VARIANT_BOOL boolVal;
                SCODE scode;
                CY cyVal;
                DATE date;
                BSTR bstrVal;
                IUnknown* punkVal;
                IDispatch* pdispVal;
                SAFEARRAY* parray;
                CHAR cVal;
                USHORT uiVal;
                ULONG ulVal;
                ULONGLONG ullVal;
                INT intVal;
                UINT uintVal;
                void* byref;
                VARIANT* pvarVal;
            };
        };
        DECIMAL decVal;
    };
};
using VARIANTARG = VARIANT;

static_assert(sizeof(VARIANT) == 16, "a VARIANT is a 16-byte record");
static_assert(offsetof(VARIANT, llVal) == 8, "the value of a VARIANT lies at offset 8");
static_assert(sizeof(DECIMAL) == 16, "a DECIMAL fills the whole record");

#define V_VT(X) ((X)->vt)
#define V_I1(X) ((X)->cVal)
#define V_I2(X) ((X)->iVal)
#define V_I4(X) ((X)->lVal)
#define V_I8(X) ((X)->llVal)
#define V_UI1(X) ((X)->bVal)
#define V_UI2(X) ((X)->uiVal)
#define V_UI4(X) ((X)->ulVal)
#define V_UI8(X) ((X)->ullVal)
#define V_INT(X) ((X)->intVal)
#define V_UINT(X) ((X)->uintVal)
#define V_R4(X) ((X)->fltVal)
#define V_R8(X) ((X)->dblVal)
#define V_CY(X) ((X)->cyVal)
#define V_DATE(X) ((X)->date)
#define V_BSTR(X) ((X)->bstrVal)
#define V_BOOL(X) ((X)->boolVal)
#define V_ERROR(X) ((X)->scode)
#define V_DECIMAL(X) ((X)->decVal)
#define V_UNKNOWN(X) ((X)->punkVal)
#define V_DISPATCH(X) ((X)->pdispVal)

// BSTR allocation. Lengths are in bytes (ByteLen) or UTF-16 units (Len); a
// null source gives a zero-filled string of that length. Null when the
// memory cannot be had or the length does not fit 32 bits.
BSTR SysAllocString(LPCOLESTR psz);
BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
BSTR SysAllocStringByteLen(LPCSTR psz, UINT len);
void SysFreeString(BSTR bstrString);
UINT SysStringLen(BSTR pbstr);      // UTF-16 units; 0 for null
UINT SysStringByteLen(BSTR bstr);   // bytes; 0 for null

// Makes an empty variant (VT_EMPTY, every byte of the record 0).
void VariantInit(VARIANTARG* pvarg);
// Frees what the variant owns (a BSTR, a reference on an interface) and makes
// it empty. A variant whose type field names no value it owns (interface and
// by-reference types with a null pointer, unknown type numbers) is simply
// reset. E_INVALIDARG for null; DISP_E_BADVARTYPE for an array or record
// variant with a non-null pointer, which this program never makes.
HRESULT VariantClear(VARIANTARG* pvarg);
// Clears the destination, then copies: a new BSTR, one more reference on an
// interface, by-reference values as the same pointer, everything else as the
// record. E_OUTOFMEMORY when a string cannot be copied (destination empty).
HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
// Converts between the empty, numeric (I1..UI8, INT, UINT, R4, R8, CY,
// DECIMAL), boolean, date and string types; pvargDest may be pvarSrc.
// On failure the destination is left as it was. Results:
//   DISP_E_OVERFLOW      the value does not fit the target type
//   DISP_E_TYPEMISMATCH  text that is no number, boolean or date of the form
//                        below; conversions from or to null, error,
//                        interface, by-reference and array values
//   DISP_E_BADVARTYPE    a type number that names no type
// Numbers are rounded half to even when they lose their fraction. Texts are
// read and written in the "C" form: optional sign, digits with '.', optional
// exponent, blanks around allowed; no thousands separators, no currency signs.
// R8 is written with 15 significant digits, R4 with 7 ("%G").
// Booleans become "True"/"False" with VARIANT_LOCALBOOL or VARIANT_ALPHABOOL,
// else "-1"/"0"; text becomes a boolean from "True"/"False" (any case) or a
// number (non-zero is true). True converts to -1 (all bits set for the
// unsigned types, as Windows does).
// Dates as text are "YYYY-MM-DD" at midnight and "YYYY-MM-DD HH:MM:SS"
// otherwise (rounded to the second); read back are those two forms (a 'T'
// may stand for the blank, seconds may be left out) and a time alone
// "HH:MM[:SS]" (on day 0, 30 December 1899). Dates range from 0100-01-01 to
// 9999-12-31 23:59:59 (-657434 to just below 2958466); beyond is DISP_E_OVERFLOW.
HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt);

namespace platform {

constexpr std::size_t kVariantRecordSize = 16;

// Whether a variant of this type (flag bits included) is fully described by
// its 16-byte record: VT_EMPTY to VT_DATE, VT_ERROR, VT_BOOL, VT_DECIMAL and
// VT_I1 to VT_UINT, without flag bits.
bool IsVariantRecordType(VARTYPE vt);

// The record image of a variant: type and reserved words, then the value,
// little-endian, in the layout of the record in memory on Windows. Bytes of
// the value slot that the type does not use are written as 0. Meant for the
// record types above; others give their type and reserved words only.
void VariantToRecordImage(const VARIANT& v, BYTE (&image)[kVariantRecordSize]);

// Rebuilds a variant from up to 16 bytes of a record image (missing bytes
// count as 0). E_INVALIDARG when the image's type is not a record type: a
// pointer can never come from outside bytes. The destination must hold no
// value of its own (it is overwritten).
HRESULT VariantFromRecordImage(VARIANT& v, const BYTE* image, std::size_t cb);

}  // namespace platform
