#include "platform/dbghelp/MiniDump.h"

#include "platform/dbghelp/DumpFile.h"
#include "platform/dbghelp/ElfBuildId.h"
#include "platform/dbghelp/MiniDumpFormat.h"
#include "platform/dbghelp/OwnMemory.h"
#include "platform/dbghelp/ProcessMaps.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cpuid.h>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/utsname.h>
#include <ucontext.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace md = minidump;

namespace {

constexpr std::size_t kMapsCapacity = 1024 * 1024;
constexpr std::size_t kStatusCapacity = 16 * 1024;
constexpr std::size_t kMaxModules = 1024;
constexpr std::size_t kChunkSize = 64 * 1024;
constexpr std::size_t kMaxBuildId = 64;
constexpr std::uintptr_t kRedZone = 128;  // below the stack pointer, still the function's
constexpr std::size_t kStackLimit = 256 * 1024;
constexpr std::size_t kStreamCount = 7;

struct ModuleSpan {
    std::uintptr_t start;
    std::uintptr_t end;
    const char* path;
    std::size_t pathLength;
};

#pragma pack(push, 4)
struct OneThreadList {
    std::uint32_t count;
    md::Thread thread;
};
struct OneMemoryList {
    std::uint32_t count;
    md::MemoryDescriptor range;
};
#pragma pack(pop)

}  // namespace

// Everything Write needs, prepared by the constructor. Large, and touched
// only as far as a dump uses it.
struct MiniDumpWorkspace {
    char maps[kMapsCapacity];
    std::size_t mapsLength;
    char status[kStatusCapacity];
    std::size_t statusLength;
    ModuleSpan modules[kMaxModules];
    std::size_t moduleCount;
    std::uint8_t chunk[kChunkSize];  // memory on its way to the file, names in UTF-16, notes
    md::SystemInfo system;
    char kernel[1024];  // "Linux <release> <version> <machine>"
    std::size_t kernelLength;
    char program[PATH_MAX];
    std::size_t programLength;
};

namespace {

std::size_t ReadWholeFile(const char* path, char* buffer, std::size_t capacity)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    std::size_t length = 0;
    while (length < capacity) {
        const ssize_t n = ::read(fd, buffer + length, capacity - length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        length += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return length;
}

void DescribeSystem(MiniDumpWorkspace& w)
{
    md::SystemInfo& s = w.system;
    std::memset(&s, 0, sizeof s);
    s.processorArchitecture = md::kArchitectureAmd64;
    s.platformId = md::kPlatformLinux;
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(0, &a, &b, &c, &d) != 0) {
        s.vendorId[0] = b;
        s.vendorId[1] = d;
        s.vendorId[2] = c;
    }
    if (__get_cpuid(1, &a, &b, &c, &d) != 0) {
        s.versionInformation = a;
        s.featureInformation = d;
        unsigned family = (a >> 8) & 0xF;
        unsigned model = (a >> 4) & 0xF;
        if (family == 0xF)
            family += (a >> 20) & 0xFF;
        if (family == 0x6 || family >= 0xF)
            model += ((a >> 16) & 0xF) << 4;
        s.processorLevel = static_cast<std::uint16_t>(family);
        s.processorRevision = static_cast<std::uint16_t>((model << 8) | (a & 0xF));
    }
    if (__get_cpuid(0x80000001, &a, &b, &c, &d) != 0)
        s.amdExtendedCpuFeatures = d;
    const long processors = ::sysconf(_SC_NPROCESSORS_CONF);
    s.numberOfProcessors = static_cast<std::uint8_t>(std::clamp(processors, 1L, 255L));

    utsname u{};
    if (::uname(&u) == 0) {
        unsigned parts[3] = {};
        std::sscanf(u.release, "%u.%u.%u", &parts[0], &parts[1], &parts[2]);
        s.majorVersion = parts[0];
        s.minorVersion = parts[1];
        s.buildNumber = parts[2];
        const int n = std::snprintf(w.kernel, sizeof w.kernel, "Linux %s %s %s", u.release, u.version, u.machine);
        w.kernelLength = n > 0 ? std::min(static_cast<std::size_t>(n), sizeof w.kernel - 1) : 0;
    } else {
        w.kernelLength = 0;
    }
}

// A string of the format: its length in bytes, UTF-16 code units and a zero
// unit. Malformed UTF-8 becomes U+FFFD.
std::uint32_t AppendString(DumpFile& file, const char* text, std::size_t length, std::uint8_t* scratch,
                           std::size_t scratchSize)
{
    const std::size_t maxUnits = (scratchSize - 4) / 2 - 1;
    auto* units = reinterpret_cast<char16_t*>(scratch + 4);
    std::size_t n = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = p + length;
    while (p < end && n + 2 <= maxUnits) {
        char32_t cp = *p;
        int extra = cp < 0x80 ? 0 : (cp & 0xE0) == 0xC0 ? 1 : (cp & 0xF0) == 0xE0 ? 2 : (cp & 0xF8) == 0xF0 ? 3 : -1;
        ++p;
        if (extra > 0) {
            cp &= 0x3Fu >> extra;
            for (int i = 0; i < extra; ++i, ++p) {
                if (p >= end || (*p & 0xC0) != 0x80) {
                    extra = -1;
                    break;
                }
                cp = (cp << 6) | (*p & 0x3F);
            }
        }
        if (extra < 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        if (cp >= 0x10000) {
            units[n++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            units[n++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            units[n++] = static_cast<char16_t>(cp);
        }
    }
    units[n] = 0;
    const auto bytes = static_cast<std::uint32_t>(n * 2);
    std::memcpy(scratch, &bytes, 4);
    return file.Append(scratch, 4 + bytes + 2);
}

bool StartsWith(const MapsLine& line, const char* prefix)
{
    const std::size_t n = std::strlen(prefix);
    return line.pathLength >= n && std::memcmp(line.path, prefix, n) == 0;
}

// The ELF images mapped from files: from a mapping of the file's start to
// the last of the mappings of the same file that follow it. The program
// comes first, as debuggers expect.
void CollectModules(MiniDumpWorkspace& w)
{
    w.moduleCount = 0;
    MapsReader reader(w.maps, w.mapsLength);
    MapsLine line;
    MapsLine first;
    ModuleSpan* pCurrent = nullptr;
    while (reader.Next(line)) {
        if (pCurrent != nullptr && line.SamePath(first)) {
            pCurrent->end = line.end;
            continue;
        }
        pCurrent = nullptr;
        // Device memory is never read: reading may have effects there.
        if (w.moduleCount == kMaxModules || line.offset != 0 || line.pathLength == 0 || line.path[0] != '/' ||
            StartsWith(line, "/dev/") || !line.Readable() || !IsElfImage(line.start))
            continue;
        pCurrent = &w.modules[w.moduleCount++];
        *pCurrent = ModuleSpan{line.start, line.end, line.path, line.pathLength};
        first = line;
    }
    for (std::size_t i = 1; i < w.moduleCount; ++i) {
        const ModuleSpan& m = w.modules[i];
        if (m.pathLength == w.programLength && std::memcmp(m.path, w.program, m.pathLength) == 0) {
            std::swap(w.modules[0], w.modules[i]);
            break;
        }
    }
}

void FillContext(md::ContextAmd64& c, const CONTEXT& context)
{
    std::memset(&c, 0, sizeof c);
    const auto* uc = static_cast<const ucontext_t*>(context.SignalContext);
    const greg_t* g = uc->uc_mcontext.gregs;
    auto reg = [g](int i) { return static_cast<std::uint64_t>(g[i]); };
    c.contextFlags = md::kContextAmd64Full;
    c.rax = reg(REG_RAX);
    c.rcx = reg(REG_RCX);
    c.rdx = reg(REG_RDX);
    c.rbx = reg(REG_RBX);
    c.rsp = reg(REG_RSP);
    c.rbp = reg(REG_RBP);
    c.rsi = reg(REG_RSI);
    c.rdi = reg(REG_RDI);
    c.r8 = reg(REG_R8);
    c.r9 = reg(REG_R9);
    c.r10 = reg(REG_R10);
    c.r11 = reg(REG_R11);
    c.r12 = reg(REG_R12);
    c.r13 = reg(REG_R13);
    c.r14 = reg(REG_R14);
    c.r15 = reg(REG_R15);
    c.rip = reg(REG_RIP);
    c.eflags = static_cast<std::uint32_t>(reg(REG_EFL));
    // cs, gs, fs and (on newer kernels) ss, 16 bits each.
    const std::uint64_t segments = reg(REG_CSGSFS);
    c.cs = static_cast<std::uint16_t>(segments);
    c.gs = static_cast<std::uint16_t>(segments >> 16);
    c.fs = static_cast<std::uint16_t>(segments >> 32);
    c.ss = static_cast<std::uint16_t>(segments >> 48);
    if (uc->uc_mcontext.fpregs != nullptr) {
        static_assert(sizeof(*uc->uc_mcontext.fpregs) == sizeof c.fltSave, "the FXSAVE layout");
        std::memcpy(c.fltSave, uc->uc_mcontext.fpregs, sizeof c.fltSave);
        c.mxCsr = uc->uc_mcontext.fpregs->mxcsr;
    }
}

md::Directory WriteSystemInfo(DumpFile& file, MiniDumpWorkspace& w)
{
    md::SystemInfo system = w.system;
    const std::uint32_t at = file.Reserve(sizeof system);
    system.csdVersionRva = AppendString(file, w.kernel, w.kernelLength, w.chunk, sizeof w.chunk);
    file.WriteAt(at, &system, sizeof system);
    return {md::kSystemInfo, {sizeof system, at}};
}

// The stack above the stack pointer, within its mapping. A stack that ran
// out has its pointer below its lowest page: then the stack is the mapping
// that starts just above it.
md::MemoryDescriptor WriteStack(DumpFile& file, MiniDumpWorkspace& w, std::uintptr_t sp)
{
    MapsReader reader(w.maps, w.mapsLength);
    MapsLine line;
    MapsLine above;
    bool found = false;
    while (!found && reader.Next(line)) {
        if (!line.Readable())
            continue;
        if (line.Contains(sp)) {
            above = line;
            found = true;
        } else if (line.start > sp && line.start - sp <= kStackLimit && above.start == 0) {
            above = line;
        }
    }
    if (above.start == 0)
        return {};
    std::uintptr_t start = above.start;
    if (found && sp - above.start >= kRedZone)
        start = sp - kRedZone;
    const std::size_t size = std::min<std::uintptr_t>(above.end - start, kStackLimit);
    const std::uint32_t at = file.Reserve(size);
    for (std::size_t done = 0; done < size; done += kChunkSize) {
        const std::size_t n = std::min(kChunkSize, size - done);
        if (!ReadOwnMemory(start + done, w.chunk, n, KnownReadable::Yes))
            std::memset(w.chunk, 0, n);
        file.WriteAt(at + static_cast<std::uint32_t>(done), w.chunk, n);
    }
    return {start, {static_cast<std::uint32_t>(size), at}};
}

md::Directory WriteModuleList(DumpFile& file, MiniDumpWorkspace& w)
{
    const auto count = static_cast<std::uint32_t>(w.moduleCount);
    const std::size_t size = 4 + count * sizeof(md::Module);
    const std::uint32_t at = file.Reserve(size);
    file.WriteAt(at, &count, 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        const ModuleSpan& span = w.modules[i];
        md::Module module{};
        module.baseOfImage = span.start;
        module.sizeOfImage = static_cast<std::uint32_t>(std::min<std::uintptr_t>(span.end - span.start, UINT32_MAX));
        module.moduleNameRva = AppendString(file, span.path, span.pathLength, w.chunk, sizeof w.chunk);
        std::uint8_t cv[4 + kMaxBuildId];
        const std::size_t idLength = ReadBuildId(span.start, cv + 4, kMaxBuildId, w.chunk, sizeof w.chunk);
        if (idLength > 0) {
            const std::uint32_t signature = md::kCvElfBuildId;
            std::memcpy(cv, &signature, 4);
            module.cvRecord = {static_cast<std::uint32_t>(4 + idLength), file.Append(cv, 4 + idLength)};
        }
        file.WriteAt(at + 4 + i * static_cast<std::uint32_t>(sizeof module), &module, sizeof module);
    }
    return {md::kModuleList, {static_cast<std::uint32_t>(size), at}};
}

md::Directory WriteException(DumpFile& file, std::uint32_t threadId, const EXCEPTION_POINTERS& exception,
                             const md::Location& context)
{
    md::ExceptionStream stream{};
    stream.threadId = threadId;
    stream.exceptionRecord.exceptionCode = static_cast<std::uint32_t>(exception.ContextRecord->Signal);
    stream.exceptionRecord.exceptionFlags = static_cast<std::uint32_t>(exception.ContextRecord->SignalCode);
    stream.exceptionRecord.exceptionAddress = reinterpret_cast<std::uintptr_t>(exception.ExceptionRecord->ExceptionAddress);
    stream.threadContext = context;
    return {md::kException, {sizeof stream, file.Append(&stream, sizeof stream)}};
}

md::Directory WriteText(DumpFile& file, md::StreamType type, const char* text, std::size_t length)
{
    return {type, {static_cast<std::uint32_t>(length), file.Append(text, length)}};
}

}  // namespace

MiniDumpWriter::MiniDumpWriter(std::string path) : m_path(std::move(path)), m_pWork(new MiniDumpWorkspace)
{
    MiniDumpWorkspace& w = *m_pWork;
    w.mapsLength = 0;
    w.statusLength = 0;
    w.moduleCount = 0;
    DescribeSystem(w);
    const ssize_t n = ::readlink("/proc/self/exe", w.program, sizeof w.program);
    w.programLength = n > 0 ? static_cast<std::size_t>(n) : 0;
}

MiniDumpWriter::~MiniDumpWriter() = default;

bool MiniDumpWriter::Write(const EXCEPTION_POINTERS& exception) noexcept
{
    // One dump at a time: the workspace is shared. The first one's writer
    // usually ends the process when it is done.
    while (m_bWriting.exchange(true, std::memory_order_acquire)) {
        const timespec pause{0, 1000000};
        ::nanosleep(&pause, nullptr);
    }
    const bool written = WriteDump(exception);
    m_bWriting.store(false, std::memory_order_release);
    return written;
}

bool MiniDumpWriter::WriteDump(const EXCEPTION_POINTERS& exception) noexcept
{
    MiniDumpWorkspace& w = *m_pWork;
    DumpFile file;
    if (!file.Create(m_path.c_str()))
        return false;
    w.mapsLength = ReadWholeFile("/proc/self/maps", w.maps, sizeof w.maps);
    w.statusLength = ReadWholeFile("/proc/self/status", w.status, sizeof w.status);
    CollectModules(w);

    md::Directory directory[kStreamCount] = {};
    std::uint32_t n = 0;
    file.Reserve(sizeof(md::Header) + sizeof directory);
    const auto threadId = static_cast<std::uint32_t>(::gettid());

    md::ContextAmd64 registers;
    FillContext(registers, *exception.ContextRecord);
    const md::Location context{sizeof registers, file.Append(&registers, sizeof registers)};
    const md::MemoryDescriptor stack = WriteStack(file, w, exception.ContextRecord->StackPointer);

    directory[n++] = WriteSystemInfo(file, w);
    OneThreadList threads{1, md::Thread{}};
    threads.thread.threadId = threadId;
    threads.thread.stack = stack;
    threads.thread.threadContext = context;
    directory[n++] = {md::kThreadList, {sizeof threads, file.Append(&threads, sizeof threads)}};
    const OneMemoryList memory{stack.memory.dataSize != 0 ? 1u : 0u, stack};
    const std::uint32_t memorySize = memory.count != 0 ? sizeof memory : 4;
    directory[n++] = {md::kMemoryList, {memorySize, file.Append(&memory, memorySize)}};
    directory[n++] = WriteException(file, threadId, exception, context);
    directory[n++] = WriteModuleList(file, w);
    directory[n++] = WriteText(file, md::kLinuxMaps, w.maps, w.mapsLength);
    directory[n++] = WriteText(file, md::kLinuxProcStatus, w.status, w.statusLength);

    const md::Header header{md::kSignature, md::kVersion, n, sizeof(md::Header), 0,
                            static_cast<std::uint32_t>(std::time(nullptr)), 0};
    file.WriteAt(0, &header, sizeof header);
    file.WriteAt(sizeof header, directory, n * sizeof(md::Directory));
    return file.Finish();
}

}  // namespace platform
