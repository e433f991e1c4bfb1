// MiniDumpWriter: MiniDumpWriteDump for the faulting thread, in the minidump
// format that crash reporters write on Linux, so that debuggers open it
// (lldb --core FILE).
//
// A dump holds: the system information (processor, kernel); the faulting
// thread with its registers and the stack above its stack pointer (at most
// 256 KiB); that stack again in the memory list; the exception (the signal
// number, its si_code and address, as Linux dumps carry them); the modules
// (every ELF image mapped from a file, with its path, address range and GNU
// build id); and the text of /proc/self/maps and /proc/self/status. Other
// threads are not in it: their registers can only be read from outside the
// process.
//
// Construction prepares everything (the buffers, the system description);
// Write then only makes system calls and is safe in a signal handler. The
// dump file is made anew, 0600, never through a symbolic link (DumpFile.h).
#pragma once

#include "platform/dbghelp/Exception.h"

#include <atomic>
#include <memory>
#include <string>

namespace platform {

struct MiniDumpWorkspace;

class MiniDumpWriter {
public:
    explicit MiniDumpWriter(std::string path);
    ~MiniDumpWriter();
    MiniDumpWriter(const MiniDumpWriter&) = delete;
    MiniDumpWriter& operator=(const MiniDumpWriter&) = delete;

    // Writes the dump of the calling thread, which the exception interrupted
    // (its context carries the signal handler's registers). False when no
    // dump could be made; then no file is left at the path. A second thread
    // that faults meanwhile waits for the first one's dump.
    bool Write(const EXCEPTION_POINTERS& exception) noexcept;

    const std::string& Path() const { return m_path; }

private:
    bool WriteDump(const EXCEPTION_POINTERS& exception) noexcept;

    std::string m_path;
    std::unique_ptr<MiniDumpWorkspace> m_pWork;
    std::atomic<bool> m_bWriting{false};
};

}  // namespace platform
