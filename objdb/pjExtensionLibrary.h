// pjExtensionLibrary: the product family's extension library, through which
// a crash is reported (its entry SealImage). It is found by the path that
// another component of the suite may leave in the file mapping
// "{E3D69462-1003-4272-9416-79BC14881D7B}", else in the folder named by
// "Directory" under HKEY_LOCAL_MACHINE\Software\Brelvo\GlimmarySetup, as
// libGlimmrx.so there.
//
// The library is loaded, and its four entries looked up, when the crash
// filter is first armed: loading code is not something a signal handler can
// do. It stays loaded until the process ends.
#pragma once

#include "platform/kernel32/SharedModule.h"
#include "platform/kernel32/WinTypes.h"

#include <cstdint>
#include <string>

class pjExtensionLibrary {
public:
    // The report entry: faulting instruction address, report number,
    // exception address.
    using SealImageProc = void (*)(std::uintptr_t, DWORD, std::uintptr_t);

    static constexpr const char* kPathMappingName = "{E3D69462-1003-4272-9416-79BC14881D7B}";
    static constexpr const char* kSetupKey = "Software\\Brelvo\\GlimmarySetup";
    static constexpr const char* kFileName = "libGlimmrx.so";

    // Locates and loads the library; without one, reports are skipped.
    pjExtensionLibrary();
    pjExtensionLibrary(const pjExtensionLibrary&) = delete;
    pjExtensionLibrary& operator=(const pjExtensionLibrary&) = delete;

    // The library's path, or the empty text when nothing names one.
    static std::string Locate();

    // Calls SealImage when the library has it. Safe in a signal handler as
    // far as the library's entry is.
    void Seal(std::uintptr_t uFaultAddress, DWORD dwReport, std::uintptr_t uExceptionAddress) const noexcept;

    bool HasReportEntry() const { return m_pSealImage != nullptr; }

private:
    platform::SharedModule m_module;
    SealImageProc m_pSealImage = nullptr;
    // Looked up with SealImage as the library's interface has them; never
    // called here.
    void* m_pOtherEntries[3] = {};
};
