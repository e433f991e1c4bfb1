#include "platform/linux/TempDirectory.h"

#include "platform/kernel32/Environment.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {

ScopedTempDirectory::ScopedTempDirectory(const std::string& prefix)
{
    std::string base = GetEnv("TMPDIR");
    if (base.empty())
        base = "/tmp";
    std::string templ = base + "/" + prefix + "-XXXXXX";
    if (::mkdtemp(templ.data()) != nullptr)
        m_path = templ;
}

ScopedTempDirectory::~ScopedTempDirectory()
{
    if (!m_path.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
}

}  // namespace platform
