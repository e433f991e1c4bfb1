// _com_error: the result error that operations raise inside themselves when
// a called service fails, and catch again before they return: no exception
// crosses an operation's boundary. cmRaiseError throws one for a failure
// code and does nothing for a success code.
//
//   try {
//       cmRaiseError(SomeCall());
//   } catch (const _com_error& e) {
//       CM_TRACE_COM_ERROR(e);   // "error %d <message> <%s>" with the warning bit
//       hr = e.Error();
//   }
#pragma once

#include "CustomCode/Common/cmDebugSupport.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

#include <string>

class _com_error {
public:
    explicit _com_error(HRESULT hr) : m_hr(hr) {}

    HRESULT Error() const { return m_hr; }
    // The code's text from the system message table without its line break;
    // "IDispatch error #<n>" for a code of 0x80040200..0x8004FFFF that the
    // table lacks, "Unknown error 0x<code>" for any other.
    LPCSTR ErrorMessage() const;

private:
    HRESULT m_hr;
    mutable std::string m_message;
};

// Throws _com_error(hr) when hr is a failure code (below 0).
void cmRaiseError(HRESULT hr);

// The message text of a result code, as _com_error::ErrorMessage gives it.
std::string cmErrorMessageText(HRESULT hr);

// The warning line of a caught result error in the current trace guard.
#define CM_TRACE_COM_ERROR(e) \
    CM_TRACE_PRINT(CM_DEBUG_WARNING, "error %d <message> <%s>", static_cast<int>((e).Error()), (e).ErrorMessage())
