#include "objdb/pjExtensionLibrary.h"

#include "platform/advapi32/Registry.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/SharedMemory.h"
#include "platform/kernel32/WinError.h"

#include <cstring>
#include <vector>

namespace {

// The longest path the file mapping may give.
constexpr std::size_t kMaxMappedPath = 260;

std::string PathFromMapping()
{
    HANDLE hMapping = OpenFileMappingA(FILE_MAP_READ, FALSE, pjExtensionLibrary::kPathMappingName);
    if (hMapping == nullptr)
        return std::string();
    std::string path;
    if (const void* pView = MapViewOfFile(hMapping, FILE_MAP_READ, 0, 0, 0)) {
        // A view spans whole pages, so the first 260 bytes can be read.
        const auto* szText = static_cast<const char*>(pView);
        const void* pEnd = std::memchr(szText, '\0', kMaxMappedPath);
        path.assign(szText, pEnd != nullptr ? static_cast<const char*>(pEnd) : szText + kMaxMappedPath);
        UnmapViewOfFile(pView);
    }
    CloseHandle(hMapping);
    return path;
}

std::string PathFromSetupKey()
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, pjExtensionLibrary::kSetupKey, 0, nullptr, 0, KEY_QUERY_VALUE, nullptr,
                        &hKey, nullptr) != ERROR_SUCCESS)
        return std::string();
    std::string path;
    DWORD dwType = 0;
    DWORD cbData = 0;
    if (RegQueryValueExA(hKey, "Directory", nullptr, &dwType, nullptr, &cbData) == ERROR_SUCCESS && dwType == REG_SZ &&
        cbData > 0) {
        std::vector<char> folder(cbData + 1, '\0');
        if (RegQueryValueExA(hKey, "Directory", nullptr, &dwType, reinterpret_cast<LPBYTE>(folder.data()), &cbData) ==
                ERROR_SUCCESS &&
            dwType == REG_SZ)
            path = std::string(folder.data()) + "/" + pjExtensionLibrary::kFileName;
    }
    RegCloseKey(hKey);
    return path;
}

}  // namespace

std::string pjExtensionLibrary::Locate()
{
    std::string path = PathFromMapping();
    if (path.empty())
        path = PathFromSetupKey();
    return path;
}

pjExtensionLibrary::pjExtensionLibrary()
{
    const std::string path = Locate();
    // Its functions run in the fault's signal handler, where the dynamic
    // linker must not be entered: everything is bound now.
    if (path.empty() || !m_module.Open(path, platform::SharedModule::Binding::AtLoad))
        return;
    m_pSealImage = reinterpret_cast<SealImageProc>(m_module.Symbol("SealImage"));
    m_pOtherEntries[0] = m_module.Symbol("BoxImage");
    m_pOtherEntries[1] = m_module.Symbol("FrameImage");
    m_pOtherEntries[2] = m_module.Symbol("MatteImage");
}

void pjExtensionLibrary::Seal(std::uintptr_t uFaultAddress, DWORD dwReport, std::uintptr_t uExceptionAddress) const noexcept
{
    if (m_pSealImage != nullptr)
        m_pSealImage(uFaultAddress, dwReport, uExceptionAddress);
}
