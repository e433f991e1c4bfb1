// ScopedTempDirectory: a new, private (0700) folder with a unique name under
// the system's temporary folder ($TMPDIR or /tmp), removed with everything in
// it when the object goes away. Symbolic links inside are removed, never followed.
#pragma once

#include <string>

namespace platform {

class ScopedTempDirectory {
public:
    explicit ScopedTempDirectory(const std::string& prefix = "brelvo");
    ScopedTempDirectory(const ScopedTempDirectory&) = delete;
    ScopedTempDirectory& operator=(const ScopedTempDirectory&) = delete;
    ~ScopedTempDirectory();

    // Empty when the folder could not be made.
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace platform
