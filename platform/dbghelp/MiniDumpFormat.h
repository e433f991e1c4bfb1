// The records of a minidump file as crash reporters write it on Linux: the
// Windows layout (header, stream directory, thread, module, memory,
// exception and system streams, the AMD64 register context) plus the Linux
// streams that carry /proc files as text. All little-endian, packed to 4
// bytes as the format defines them; offsets in the file are 32-bit RVAs.
#pragma once

#include <cstdint>

namespace platform::minidump {

constexpr std::uint32_t kSignature = 0x504D444D;  // "MDMP"
constexpr std::uint32_t kVersion = 0xA793;

enum StreamType : std::uint32_t {
    kThreadList = 3,
    kModuleList = 4,
    kMemoryList = 5,
    kException = 6,
    kSystemInfo = 7,
    kLinuxProcStatus = 0x47670004,
    kLinuxMaps = 0x47670009,
};

constexpr std::uint16_t kArchitectureAmd64 = 9;
constexpr std::uint32_t kPlatformLinux = 0x8201;
constexpr std::uint32_t kContextAmd64 = 0x00100000;
// Control (rip, rsp, flags, cs, ss), integer, segment and floating-point registers.
constexpr std::uint32_t kContextAmd64Full = kContextAmd64 | 0x1 | 0x2 | 0x4 | 0x8;
constexpr std::uint32_t kCvElfBuildId = 0x4C457042;  // "BpEL" followed by the build id

#pragma pack(push, 4)

struct Location {
    std::uint32_t dataSize;
    std::uint32_t rva;
};

struct Header {
    std::uint32_t signature;
    std::uint32_t version;
    std::uint32_t streamCount;
    std::uint32_t streamDirectoryRva;
    std::uint32_t checksum;
    std::uint32_t timeDateStamp;
    std::uint64_t flags;
};

struct Directory {
    std::uint32_t streamType;
    Location location;
};

struct MemoryDescriptor {
    std::uint64_t startOfMemoryRange;
    Location memory;
};

struct Thread {
    std::uint32_t threadId;
    std::uint32_t suspendCount;
    std::uint32_t priorityClass;
    std::uint32_t priority;
    std::uint64_t teb;
    MemoryDescriptor stack;
    Location threadContext;
};

struct FixedFileInfo {
    std::uint32_t words[13];
};

struct Module {
    std::uint64_t baseOfImage;
    std::uint32_t sizeOfImage;
    std::uint32_t checksum;
    std::uint32_t timeDateStamp;
    std::uint32_t moduleNameRva;
    FixedFileInfo versionInfo;
    Location cvRecord;
    Location miscRecord;
    std::uint64_t reserved0;
    std::uint64_t reserved1;
};

struct ExceptionRecord {
    std::uint32_t exceptionCode;   // on Linux the signal number
    std::uint32_t exceptionFlags;  // and its si_code
    std::uint64_t exceptionRecord;
    std::uint64_t exceptionAddress;  // and its si_addr
    std::uint32_t numberParameters;
    std::uint32_t unusedAlignment;
    std::uint64_t exceptionInformation[15];
};

struct ExceptionStream {
    std::uint32_t threadId;
    std::uint32_t alignment;
    ExceptionRecord exceptionRecord;
    Location threadContext;
};

struct SystemInfo {
    std::uint16_t processorArchitecture;
    std::uint16_t processorLevel;
    std::uint16_t processorRevision;
    std::uint8_t numberOfProcessors;
    std::uint8_t productType;
    std::uint32_t majorVersion;
    std::uint32_t minorVersion;
    std::uint32_t buildNumber;
    std::uint32_t platformId;
    std::uint32_t csdVersionRva;  // a string: the kernel's uname
    std::uint16_t suiteMask;
    std::uint16_t reserved2;
    std::uint32_t vendorId[3];
    std::uint32_t versionInformation;
    std::uint32_t featureInformation;
    std::uint32_t amdExtendedCpuFeatures;
};

using Uint128 = std::uint8_t[16];

struct ContextAmd64 {
    std::uint64_t homes[6];
    std::uint32_t contextFlags;
    std::uint32_t mxCsr;
    std::uint16_t cs, ds, es, fs, gs, ss;
    std::uint32_t eflags;
    std::uint64_t dr0, dr1, dr2, dr3, dr6, dr7;
    std::uint64_t rax, rcx, rdx, rbx, rsp, rbp, rsi, rdi;
    std::uint64_t r8, r9, r10, r11, r12, r13, r14, r15;
    std::uint64_t rip;
    std::uint8_t fltSave[512];  // the FXSAVE area
    Uint128 vectorRegister[26];
    std::uint64_t vectorControl;
    std::uint64_t debugControl;
    std::uint64_t lastBranchToRip;
    std::uint64_t lastBranchFromRip;
    std::uint64_t lastExceptionToRip;
    std::uint64_t lastExceptionFromRip;
};

#pragma pack(pop)

static_assert(sizeof(Header) == 32);
static_assert(sizeof(Directory) == 12);
static_assert(sizeof(MemoryDescriptor) == 16);
static_assert(sizeof(Thread) == 48);
static_assert(sizeof(Module) == 108);
static_assert(sizeof(ExceptionStream) == 168);
static_assert(sizeof(SystemInfo) == 56);
static_assert(sizeof(ContextAmd64) == 1232);

}  // namespace platform::minidump
