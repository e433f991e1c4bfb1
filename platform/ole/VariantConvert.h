// The conversion rules behind VariantChangeType (see platform/ole/Variant.h for
// what is converted and how texts look). Internal to the variant support.
#pragma once

#include "platform/ole/Variant.h"

#include <string>

namespace platform {

// Converts src to type vt into result, which starts empty and is only
// written on success.
HRESULT ConvertVariant(const VARIANT& src, USHORT wFlags, VARTYPE vt, VARIANT& result);

// A date as the fixed text form; false when it lies outside the date range.
bool FormatVariantDate(DATE date, std::string& text);
// Reads a date text form; DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW on failure.
HRESULT ParseVariantDate(const std::string& text, DATE& date);

}  // namespace platform
