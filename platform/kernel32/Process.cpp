#include "platform/kernel32/Process.h"

#include "platform/kernel32/ArgvPointers.h"
#include "platform/kernel32/EventCore.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WaitableObject.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// A started program. Its process is a grandchild: between it and this
// process stands its reaper, a child of ours that is the subreaper of the
// program's whole tree and ends once every process of that tree has ended.
class ProcessObject : public platform::KernelObject {
public:
    ProcessObject(pid_t pid, pid_t reaper) : m_pid(pid), m_reaper(reaper) {}
    ~ProcessObject() override
    {
        // Collects a reaper that has already ended (a watch may have done so).
        ::waitpid(m_reaper, nullptr, WNOHANG);
    }
    pid_t Pid() const { return m_pid; }
    pid_t Reaper() const { return m_reaper; }

private:
    pid_t m_pid;
    pid_t m_reaper;
};

// The started process's only thread, as far as the caller can tell.
class ProcessThreadObject : public platform::KernelObject {};

// Signals its core once the program's reaper has ended, that is once the
// program and every process it started (also those that left its process
// group or session) have ended. A thread waits for the reaper on a pidfd.
class ProcessTreeWatch : public platform::WaitableObject {
public:
    ProcessTreeWatch(pid_t reaper, std::shared_ptr<platform::EventCore> core)
        : m_reaper(reaper), m_core(std::move(core)), m_thread([this] { Run(); })
    {
    }
    ~ProcessTreeWatch() override
    {
        m_stop.Set(true);
        m_thread.join();
    }
    std::shared_ptr<platform::EventCore> Core() const override { return m_core; }

private:
    bool ReaperHasEnded() const
    {
        pid_t r;
        do {
            r = ::waitpid(m_reaper, nullptr, WNOHANG);
        } while (r < 0 && errno == EINTR);
        return r == m_reaper || (r < 0 && errno == ECHILD);
    }

    void Run()
    {
        // (This C library declares pidfd_open without C linkage for C++.)
        const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, m_reaper, 0));
        for (;;) {
            if (ReaperHasEnded()) {
                m_core->Set();
                break;
            }
            // Without a pidfd (an old kernel) the reaper is looked at every
            // few milliseconds instead.
            pollfd fds[2] = {{m_stop.Fd(), POLLIN, 0}, {pidfd, POLLIN, 0}};
            const int rc = ::poll(fds, pidfd >= 0 ? 2 : 1, pidfd >= 0 ? -1 : 20);
            if (rc > 0 && (fds[0].revents & POLLIN) != 0)
                break;
        }
        if (pidfd >= 0)
            ::close(pidfd);
    }

    const pid_t m_reaper;
    std::shared_ptr<platform::EventCore> m_core;
    platform::FdSignal m_stop;
    std::thread m_thread;
};

// What the reaper and the program tell CreateProcessA through the status
// pipe: the program's process id, or the errno that kept it from starting.
struct StartRecord {
    std::int32_t tag;
    std::int32_t value;
};
constexpr std::int32_t kStartedPid = 1;
constexpr std::int32_t kStartError = 2;

// From here to the reaper's end, the code runs in a child forked from a
// process that may have other threads: async-signal-safe calls only.
void WriteRecord(int fd, std::int32_t tag, std::int32_t value)
{
    const StartRecord record{tag, value};
    while (::write(fd, &record, sizeof record) < 0 && errno == EINTR) {
    }
}

[[noreturn]] void FailStart(int statusFd, int error)
{
    WriteRecord(statusFd, kStartError, error);
    ::_exit(127);
}

// The reaper: it takes in every orphan of the program's tree, starts the
// program, and ends when it has no child left. It keeps no descriptor of
// this process but the status pipe, so that it holds none of our files or
// locks open while it waits.
[[noreturn]] void RunReaper(const char* path, char* const* argv, const char* folder, int statusFd)
{
    if (statusFd > 3)
        ::close_range(3, static_cast<unsigned>(statusFd) - 1, 0);
    ::close_range(static_cast<unsigned>(statusFd) + 1, ~0u, 0);
    ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);
    // Our signal handlers mean nothing here: the defaults, as after exec.
    for (int sig = 1; sig < NSIG; ++sig) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) == 0 && (old.sa_flags & SA_SIGINFO) == 0 && old.sa_handler == SIG_IGN)
            continue;
        if (sig != SIGKILL && sig != SIGSTOP)
            ::signal(sig, SIG_DFL);
    }
    const pid_t program = ::fork();
    if (program == 0) {
        ::setpgid(0, 0);
        if (folder != nullptr && ::chdir(folder) != 0)
            FailStart(statusFd, errno);
        ::execve(path, argv, environ);
        FailStart(statusFd, errno);
    }
    if (program < 0)
        FailStart(statusFd, errno);
    // The program leads a group of its own before anybody hears of it.
    ::setpgid(program, program);
    WriteRecord(statusFd, kStartedPid, program);
    ::close(statusFd);
    for (;;) {
        if (::waitpid(-1, nullptr, 0) < 0 && errno == ECHILD)
            ::_exit(0);
    }
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Words separated by blanks; double quotes group blanks into a word.
void AppendWords(const std::string& text, std::size_t pos, std::vector<std::string>& out)
{
    std::string word;
    bool inWord = false, quoted = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (IsBlank(c) && !quoted) {
            if (inWord)
                out.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        out.push_back(word);
}

}  // namespace

namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& commandLine,
                                          const std::function<bool(const std::string&)>& isFile)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < commandLine.size() && IsBlank(commandLine[start]))
        ++start;
    if (start == commandLine.size())
        return out;

    std::size_t rest;
    if (commandLine[start] == '"') {
        const std::size_t close = commandLine.find('"', start + 1);
        const std::size_t end = close == std::string::npos ? commandLine.size() : close;
        out.push_back(commandLine.substr(start + 1, end - start - 1));
        rest = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        // The shortest prefix that names a file; else the first word.
        std::size_t firstBlank = std::string::npos;
        std::size_t end = std::string::npos;
        for (std::size_t i = start; i <= commandLine.size(); ++i) {
            if (i < commandLine.size() && !IsBlank(commandLine[i]))
                continue;
            if (firstBlank == std::string::npos)
                firstBlank = i;
            if (i > start && !IsBlank(commandLine[i - 1]) && isFile(commandLine.substr(start, i - start))) {
                end = i;
                break;
            }
        }
        if (end == std::string::npos)
            end = firstBlank;
        out.push_back(commandLine.substr(start, end - start));
        rest = end;
    }
    AppendWords(commandLine, rest, out);
    return out;
}

HANDLE WatchProcessTree(HANDLE hProcess)
{
    ProcessObject* process = LookupHandleAs<ProcessObject>(hProcess);
    if (process == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::shared_ptr<EventCore> core = EventCore::Create(ResetPolicy::Manual, false);
    if (!core)
        return nullptr;
    return RegisterHandle(new ProcessTreeWatch(process->Reaper(), std::move(core)));
}

}  // namespace platform

BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, void*, void*, BOOL, DWORD, LPVOID,
                    LPCSTR lpCurrentDirectory, LPSTARTUPINFOA, LPPROCESS_INFORMATION lpProcessInformation)
{
    const std::string line = lpCommandLine != nullptr ? lpCommandLine : "";
    std::vector<std::string> argv;
    if (lpApplicationName != nullptr && *lpApplicationName != '\0') {
        argv.push_back(lpApplicationName);
        std::vector<std::string> words;
        AppendWords(line, 0, words);
        if (!words.empty())
            argv.insert(argv.end(), words.begin() + 1, words.end());
    } else {
        argv = platform::SplitCommandLine(line, &IsRegularFile);
    }
    if (argv.empty() || argv[0].empty() || lpProcessInformation == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A relative program is found from this process's folder, not the child's.
    if (argv[0][0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd) != nullptr)
            argv[0] = std::string(cwd) + "/" + argv[0];
    }
    if (!IsRegularFile(argv[0])) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }

    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return FALSE;
    }
    // Everything the reaper needs is made before the fork.
    std::vector<char*> argp = platform::ArgvPointers(argv);
    const char* folder = lpCurrentDirectory != nullptr && *lpCurrentDirectory != '\0' ? lpCurrentDirectory : nullptr;
    const pid_t reaper = ::fork();
    if (reaper == 0)
        RunReaper(argv[0].c_str(), argp.data(), folder, status[1]);
    const int forkError = errno;
    ::close(status[1]);
    pid_t pid = -1;
    int startError = reaper < 0 ? forkError : 0;
    StartRecord record{};
    ssize_t got;
    while ((got = ::read(status[0], &record, sizeof record)) != 0) {
        if (got < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (got == sizeof record && record.tag == kStartedPid)
            pid = record.value;
        else if (got == sizeof record && record.tag == kStartError)
            startError = record.value;
    }
    ::close(status[0]);
    if (startError == 0 && pid <= 0)
        startError = ECHILD;
    if (startError != 0) {
        if (reaper > 0)
            ::waitpid(reaper, nullptr, 0);
        SetLastError(Win32ErrorFromErrno(startError));
        return FALSE;
    }
    lpProcessInformation->hProcess = platform::RegisterHandle(new ProcessObject(pid, reaper));
    lpProcessInformation->hThread = platform::RegisterHandle(new ProcessThreadObject());
    lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
    lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
