// The file a minidump is written to, in a signal handler: no allocation, only
// system calls.
//
// The file is always made anew, for this user only (0600): whatever is at
// the path is removed first and the file is created exclusively without
// following a symbolic link (O_CREAT|O_EXCL|O_NOFOLLOW). A symbolic link
// at the path, or anything but a regular file, is left alone and nothing is
// written; so is a path whose folder cannot be made (missing folders are
// made 0700).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

class DumpFile {
public:
    DumpFile() = default;
    DumpFile(const DumpFile&) = delete;
    DumpFile& operator=(const DumpFile&) = delete;
    // A file still open here was not finished: it is removed.
    ~DumpFile() { Discard(); }

    // False when the file cannot be made (see above). path is kept, not copied.
    bool Create(const char* path) noexcept;

    // Room for size bytes at the end of the file, 8-byte aligned: its offset.
    std::uint32_t Reserve(std::size_t size) noexcept;
    // Reserve and write.
    std::uint32_t Append(const void* data, std::size_t size) noexcept;
    void WriteAt(std::uint32_t offset, const void* data, std::size_t size) noexcept;

    // Closes the file; false (and the file removed) when some write failed.
    bool Finish() noexcept;

private:
    void Discard() noexcept;

    const char* m_path = nullptr;
    int m_fd = -1;
    std::uint64_t m_end = 0;
    bool m_ok = true;
};

}  // namespace platform
