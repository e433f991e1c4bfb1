#include "platform/kernel32/Process.h"

#include "platform/kernel32/ArgvPointers.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WaitableObject.h"
#include "platform/kernel32/WinError.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

class ProcessObject : public platform::KernelObject {
public:
    explicit ProcessObject(pid_t pid) : m_pid(pid) {}
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid;
};

// The started process's only thread, as far as the caller can tell.
class ProcessThreadObject : public platform::KernelObject {};

// Signals its core once no process of the group is left. A thread looks
// every few milliseconds: it collects the exit states of the group's
// processes that are this process's children (the leader, and descendants
// orphaned to this process), and the group is gone when none is a child any
// more and no member answers a signal test.
class ProcessGroupWatch : public platform::WaitableObject {
public:
    ProcessGroupWatch(pid_t group, std::shared_ptr<platform::EventCore> core)
        : m_group(group), m_core(std::move(core)), m_thread([this] { Run(); })
    {
    }
    ~ProcessGroupWatch() override
    {
        {
            std::lock_guard<std::mutex> g(m_lock);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    std::shared_ptr<platform::EventCore> Core() const override { return m_core; }

private:
    bool GroupHasEnded() const
    {
        int status = 0;
        pid_t r;
        do {
            r = ::waitpid(-m_group, &status, WNOHANG);
        } while (r > 0 || (r < 0 && errno == EINTR));
        if (r == 0 || errno != ECHILD)
            return false;  // a member is still a running child
        return ::kill(-m_group, 0) != 0 && errno == ESRCH;
    }

    void Run()
    {
        std::unique_lock<std::mutex> g(m_lock);
        while (!m_stop) {
            if (GroupHasEnded()) {
                m_core->Set();
                return;
            }
            m_wake.wait_for(g, std::chrono::milliseconds(20));
        }
    }

    const pid_t m_group;
    std::shared_ptr<platform::EventCore> m_core;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

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

// Orphaned descendants of started programs come to this process, so that
// their end can be seen; set once, the first time a program is started.
void BecomeReaperOfOrphans()
{
    static std::once_flag once;
    std::call_once(once, [] { ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0); });
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

HANDLE WatchProcessGroup(HANDLE hProcess)
{
    ProcessObject* process = LookupHandleAs<ProcessObject>(hProcess);
    if (process == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::shared_ptr<EventCore> core = EventCore::Create(ResetPolicy::Manual, false);
    if (!core)
        return nullptr;
    return RegisterHandle(new ProcessGroupWatch(process->Pid(), std::move(core)));
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

    BecomeReaperOfOrphans();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (lpCurrentDirectory != nullptr && *lpCurrentDirectory != '\0')
        posix_spawn_file_actions_addchdir_np(&actions, lpCurrentDirectory);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);

    std::vector<char*> argp = platform::ArgvPointers(argv);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, argv[0].c_str(), &actions, &attr, argp.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        SetLastError(Win32ErrorFromErrno(rc));
        return FALSE;
    }
    lpProcessInformation->hProcess = platform::RegisterHandle(new ProcessObject(pid));
    lpProcessInformation->hThread = platform::RegisterHandle(new ProcessThreadObject());
    lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
    lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
