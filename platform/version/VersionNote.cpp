// The version note of every binary of this project: the project's version
// as four 16-bit parts, read back by GetFileVersionInfoA (platform/version/VersionInfo.h).
#include <cstdint>

namespace {

struct VersionNote {
    std::uint32_t namesz;
    std::uint32_t descsz;
    std::uint32_t type;
    char name[8];
    std::uint16_t parts[4];
};

[[gnu::section(".note.brelvo.version"), gnu::used, gnu::aligned(4)]] const VersionNote kVersionNote = {
    7, 8, 1, "Brelvo", {NOTIFIER_VERSION_MAJOR, NOTIFIER_VERSION_MINOR, NOTIFIER_VERSION_PATCH, NOTIFIER_VERSION_TWEAK}};

}  // namespace
