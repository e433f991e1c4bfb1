#include "platform/kernel32/ChildProcess.h"

#include "platform/kernel32/ArgvPointers.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

// The environment of the child: ours, with the given variables set or replaced.
std::vector<std::string> ChildEnvironment(const std::vector<std::pair<std::string, std::string>>& extra)
{
    std::map<std::string, std::string> vars;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq != nullptr)
            vars[std::string(*e, static_cast<std::size_t>(eq - *e))] = eq + 1;
    }
    for (const auto& [k, v] : extra)
        vars[k] = v;
    std::vector<std::string> out;
    out.reserve(vars.size());
    for (const auto& [k, v] : vars)
        out.push_back(k + "=" + v);
    return out;
}

}  // namespace

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(std::exchange(other.m_pid, -1)), m_exited(other.m_exited), m_exitCode(other.m_exitCode)
{
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        this->~ChildProcess();
        m_pid = std::exchange(other.m_pid, -1);
        m_exited = other.m_exited;
        m_exitCode = other.m_exitCode;
    }
    return *this;
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && !m_exited) {
        ::kill(m_pid, SIGKILL);
        Reap(true);
    }
    m_pid = -1;
}

DWORD ChildProcess::Start(const std::vector<std::string>& argv, const Options& options)
{
    if (argv.empty() || IsStarted())
        return ERROR_INVALID_PARAMETER;

    std::vector<std::string> args(argv);
    std::vector<std::string> env = ChildEnvironment(options.environment);
    std::vector<char*> argp = ArgvPointers(args);
    std::vector<char*> envp = ArgvPointers(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());
    if (!options.stdoutFile.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, options.stdoutFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!options.stderrFile.empty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, options.stderrFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);

    pid_t pid = -1;
    const bool search = args[0].find('/') == std::string::npos;
    const int rc = search ? ::posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argp.data(), envp.data())
                          : ::posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return Win32ErrorFromErrno(rc);
    m_pid = pid;
    m_exited = false;
    return ERROR_SUCCESS;
}

bool ChildProcess::Reap(bool block)
{
    if (m_pid <= 0)
        return false;
    if (m_exited)
        return true;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r != m_pid)
        return false;
    m_exited = true;
    if (WIFEXITED(status))
        m_exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        m_exitCode = 128 + WTERMSIG(status);
    return true;
}

bool ChildProcess::Wait(int timeoutMs, int& exitCode)
{
    if (timeoutMs < 0) {
        if (!Reap(true))
            return false;
    } else {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!Reap(false)) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    exitCode = m_exitCode;
    return true;
}

bool ChildProcess::HasExited() { return Reap(false); }

void ChildProcess::Kill(int sig)
{
    if (m_pid > 0 && !m_exited)
        ::kill(m_pid, sig == 0 ? SIGKILL : sig);
}

bool ChildProcess::Stop(int graceMs)
{
    if (m_pid <= 0 || Reap(false))
        return false;
    ::kill(m_pid, SIGTERM);
    int code = 0;
    if (Wait(graceMs, code))
        return true;
    ::kill(m_pid, SIGKILL);
    Reap(true);
    return false;
}

}  // namespace platform
