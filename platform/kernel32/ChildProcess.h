// ChildProcess: a program started with an argument vector (never through a
// shell), optionally in a given working folder and with extra environment
// variables, that can be waited for with a time limit. A child still running
// when its owner is destroyed is killed and reaped, so no test or caller
// leaves processes behind.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <string>
#include <utility>
#include <vector>

namespace platform {

class ChildProcess {
public:
    struct Options {
        std::string workingDirectory;                              // empty: the caller's
        std::vector<std::pair<std::string, std::string>> environment;  // set or replaced
        std::string stdoutFile;                                    // empty: inherited
        std::string stderrFile;                                    // empty: inherited; not stdoutFile
    };

    ChildProcess() = default;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // Starts argv[0] (a path, or a name looked up in PATH when it has no
    // slash). ERROR_SUCCESS or the Win32 error of the failure.
    DWORD Start(const std::vector<std::string>& argv, const Options& options);
    DWORD Start(const std::vector<std::string>& argv) { return Start(argv, Options()); }

    bool IsStarted() const { return m_pid > 0; }
    DWORD GetProcessId() const { return static_cast<DWORD>(m_pid); }

    // Waits up to timeoutMs (negative: for ever). True when the child ended;
    // its exit code, or 128 + signal number when a signal ended it, is in exitCode.
    bool Wait(int timeoutMs, int& exitCode);
    // Whether the child has ended, without waiting.
    bool HasExited();
    // Sends a signal to a running child (SIGKILL when sig is 0).
    void Kill(int sig = 0);
    // Asks a running child to end (SIGTERM), so it can clean up after itself,
    // and kills it when it has not ended within graceMs. True when it ended
    // on the request; the child is reaped either way.
    bool Stop(int graceMs);

private:
    bool Reap(bool block);

    int m_pid = -1;
    bool m_exited = false;
    int m_exitCode = 0;
};

}  // namespace platform
