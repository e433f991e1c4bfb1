#include "platform/dbghelp/StackTrace.h"

#include "platform/kernel32/SystemLibrary.h"

#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <elfutils/libdwfl.h>
#include <memory>
#include <mutex>
#include <ucontext.h>
#include <unistd.h>
#include <unwind.h>

namespace platform {

namespace {

constexpr int kFrameLimit = 1024;  // "no limit" still ends: a corrupt stack cannot loop for ever

struct RawFrame {
    std::uintptr_t pc;
    std::uintptr_t cfa;
};

struct WalkState {
    std::vector<RawFrame>* frames;
    std::size_t limit;
};

_Unwind_Reason_Code CollectFrame(struct _Unwind_Context* ctx, void* arg)
{
    auto* state = static_cast<WalkState*>(arg);
    int beforeInsn = 0;
    const std::uintptr_t pc = _Unwind_GetIPInfo(ctx, &beforeInsn);
    if (pc == 0)
        return _URC_END_OF_STACK;
    state->frames->push_back({pc, static_cast<std::uintptr_t>(_Unwind_GetCFA(ctx))});
    return (state->frames->size() >= state->limit) ? _URC_END_OF_STACK : _URC_NO_REASON;
}

// The four words at a frame's call-frame address: what the caller pushed for
// the call. They lie in the caller's part of the stack, which instrumented
// code may have marked as a red zone, so the read is not instrumented.
__attribute__((no_sanitize("address"))) void ReadParams(std::uintptr_t cfa, std::uintptr_t (&params)[4])
{
    if (cfa == 0 || cfa % sizeof(std::uintptr_t) != 0)
        return;
    const volatile std::uintptr_t* p = reinterpret_cast<const volatile std::uintptr_t*>(cfa);
    for (int i = 0; i < 4; ++i)
        params[i] = p[i];
}

// "ns::Class::Op(int) const" -> "ns::Class::Op".
std::string WithoutParameters(const std::string& name)
{
    std::string::size_type close = name.rfind(')');
    if (close == std::string::npos)
        return name;
    int depth = 0;
    for (std::string::size_type i = close + 1; i-- > 0;) {
        if (name[i] == ')')
            ++depth;
        else if (name[i] == '(' && --depth == 0)
            return (i == 0) ? name : name.substr(0, i);
    }
    return name;
}

std::string Demangled(const char* symbol)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> d(abi::__cxa_demangle(symbol, nullptr, nullptr, &status),
                                                   &std::free);
    if (status != 0 || !d)
        return symbol;
    return WithoutParameters(d.get());
}

std::string BaseName(const char* path)
{
    if (path == nullptr)
        return std::string();
    const char* slash = std::strrchr(path, '/');
    return (slash != nullptr) ? slash + 1 : path;
}

// elfutils' libdw, loaded the first time a stack is described: a run that
// writes no stack trace is spared it and the ELF and compression libraries
// it brings.
class Libdw : public SystemLibrary<Libdw> {
public:
    decltype(&::dwfl_begin) begin = nullptr;
    decltype(&::dwfl_end) end = nullptr;
    decltype(&::dwfl_addrmodule) addrmodule = nullptr;
    decltype(&::dwfl_module_addrinfo) module_addrinfo = nullptr;
    decltype(&::dwfl_module_info) module_info = nullptr;
    decltype(&::dwfl_module_getsrc) module_getsrc = nullptr;
    decltype(&::dwfl_lineinfo) lineinfo = nullptr;
    decltype(&::dwfl_report_begin) report_begin = nullptr;
    decltype(&::dwfl_report_begin_add) report_begin_add = nullptr;
    decltype(&::dwfl_report_end) report_end = nullptr;
    decltype(&::dwfl_linux_proc_report) linux_proc_report = nullptr;
    decltype(&::dwfl_linux_proc_find_elf) linux_proc_find_elf = nullptr;
    decltype(&::dwfl_standard_find_debuginfo) standard_find_debuginfo = nullptr;

private:
    friend SystemLibrary<Libdw>;
    Libdw()
    {
        Load("libdw.so.1", Entry(begin, "dwfl_begin"), Entry(end, "dwfl_end"), Entry(addrmodule, "dwfl_addrmodule"),
             Entry(module_addrinfo, "dwfl_module_addrinfo"), Entry(module_info, "dwfl_module_info"),
             Entry(module_getsrc, "dwfl_module_getsrc"), Entry(lineinfo, "dwfl_lineinfo"),
             Entry(report_begin, "dwfl_report_begin"), Entry(report_begin_add, "dwfl_report_begin_add"),
             Entry(report_end, "dwfl_report_end"), Entry(linux_proc_report, "dwfl_linux_proc_report"),
             Entry(linux_proc_find_elf, "dwfl_linux_proc_find_elf"),
             Entry(standard_find_debuginfo, "dwfl_standard_find_debuginfo"));
    }
};

// The symboliser: one libdw session on this process, set up at first use and
// brought up to date when an address falls outside every known module (a
// library loaded later). libdw is not thread-safe; the lock serialises use.
class Symboliser {
public:
    static Symboliser& Instance()
    {
        static Symboliser* s = new Symboliser;  // lives until exit
        return *s;
    }

    std::mutex lock;

    bool Ready()
    {
        if (m_dwfl == nullptr && !m_failed) {
            m_dwfl = m_dw.Loaded() ? m_dw.begin(&m_callbacks) : nullptr;
            if (m_dwfl == nullptr || !Report(false)) {
                if (m_dwfl != nullptr)
                    m_dw.end(m_dwfl);
                m_dwfl = nullptr;
                m_failed = true;
            }
        }
        return m_dwfl != nullptr;
    }

    void Describe(StackFrame& f, bool returnAddress, bool& refreshed)
    {
        // A return address points after the call; its line is the call's.
        const Dwarf_Addr addr = returnAddress ? f.address - 1 : f.address;
        Dwfl_Module* module = m_dw.addrmodule(m_dwfl, addr);
        if (module == nullptr && !refreshed) {
            refreshed = true;
            Report(true);
            module = m_dw.addrmodule(m_dwfl, addr);
        }
        if (module == nullptr) {
            f.function = "(null)";
            f.displacement = 0;
            return;
        }
        GElf_Off offset = 0;
        GElf_Sym sym;
        const char* name = m_dw.module_addrinfo(module, addr, &offset, &sym, nullptr, nullptr, nullptr);
        if (name != nullptr) {
            f.function = Demangled(name);
            f.displacement = static_cast<std::uintptr_t>(f.address - (addr - offset));
        } else {
            Dwarf_Addr start = 0;
            const char* moduleName =
                m_dw.module_info(module, nullptr, &start, nullptr, nullptr, nullptr, nullptr, nullptr);
            f.function = BaseName(moduleName);
            f.displacement = static_cast<std::uintptr_t>(f.address - start);
        }
        if (Dwfl_Line* line = m_dw.module_getsrc(module, addr)) {
            int lineNo = 0;
            const char* file = m_dw.lineinfo(line, nullptr, &lineNo, nullptr, nullptr, nullptr);
            if (file != nullptr) {
                f.file = file;
                f.line = lineNo;
            }
        }
    }

private:
    Symboliser() = default;

    bool Report(bool add)
    {
        if (add)
            m_dw.report_begin_add(m_dwfl);
        else
            m_dw.report_begin(m_dwfl);
        const int rc = m_dw.linux_proc_report(m_dwfl, ::getpid());
        return m_dw.report_end(m_dwfl, nullptr, nullptr) == 0 && rc == 0;
    }

    const Libdw& m_dw = Libdw::Get();
    char* m_debuginfoPath = nullptr;
    const Dwfl_Callbacks m_callbacks = {
        m_dw.linux_proc_find_elf,
        m_dw.standard_find_debuginfo,
        nullptr,
        &m_debuginfoPath,
    };
    Dwfl* m_dwfl = nullptr;
    bool m_failed = false;
};

}  // namespace

__attribute__((noinline)) bool CaptureStackTrace(std::vector<StackFrame>& frames, int maxFrames, int skipFrames,
                                                 const void* context)
{
    frames.clear();
    std::vector<RawFrame> raw;
    raw.reserve(64);
    WalkState state{&raw, static_cast<std::size_t>(kFrameLimit)};
    _Unwind_Backtrace(&CollectFrame, &state);

    // Frame 0 is this function, frame 1 the one that asked for the trace.
    std::size_t first = 2 + static_cast<std::size_t>(skipFrames > 0 ? skipFrames : 0);
    bool firstIsReturnAddress = true;
    if (context != nullptr) {
        const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
        const auto pc = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
        const auto pc = static_cast<std::uintptr_t>(uc->uc_mcontext.pc);
#else
        const std::uintptr_t pc = 0;
#endif
        // The interrupted instruction's frame follows the signal trampoline.
        first = raw.size();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i].pc == pc) {
                first = i;
                break;
            }
        }
        if (first == raw.size() && pc != 0)
            raw.push_back({pc, 0});
        firstIsReturnAddress = false;
    }
    if (first >= raw.size())
        return false;

    Symboliser& sym = Symboliser::Instance();
    std::lock_guard<std::mutex> g(sym.lock);
    if (!sym.Ready())
        return false;
    bool refreshed = false;
    const std::size_t limit = (maxFrames < 0) ? raw.size() : static_cast<std::size_t>(maxFrames);
    for (std::size_t i = first; i < raw.size() && frames.size() < limit; ++i) {
        StackFrame f;
        f.address = raw[i].pc;
        ReadParams(raw[i].cfa, f.params);
        sym.Describe(f, !(i == first && !firstIsReturnAddress), refreshed);
        frames.push_back(std::move(f));
    }
    return !frames.empty() || limit == 0;
}

}  // namespace platform
