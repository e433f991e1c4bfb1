#include "tests/e2e/DesktopSession.h"

#include "platform/kernel32/Environment.h"
#include "platform/kernel32/WinError.h"

#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollStep = std::chrono::milliseconds(50);

bool IsExecutableFile(const fs::path& p)
{
    std::error_code ec;
    const fs::file_status st = fs::status(p, ec);
    if (ec || !fs::is_regular_file(st))
        return false;
    const fs::perms exec = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    return (st.permissions() & exec) != fs::perms::none;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

bool Contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

// xdotool matches titles as regular expressions; the captions the tests look
// for have no special characters, so anchoring them makes the match exact.
std::string ExactTitle(const std::string& caption) { return "^" + caption + "$"; }

}  // namespace

std::string FindInPath(const std::string& program)
{
    std::istringstream path(platform::GetEnv("PATH"));
    for (std::string dir; std::getline(path, dir, ':');) {
        if (dir.empty())
            continue;
        const fs::path candidate = fs::path(dir) / program;
        if (IsExecutableFile(candidate))
            return candidate.string();
    }
    return {};
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

RunResult Run(const std::vector<std::string>& argv, const Environment& env, const std::string& scratchFolder,
              int timeoutMs)
{
    static std::atomic<int> s_runs{0};
    const std::string base = scratchFolder + "/run-" + std::to_string(++s_runs);
    platform::ChildProcess::Options opt;
    opt.environment = env;
    opt.stdoutFile = base + ".out";
    opt.stderrFile = base + ".err";
    RunResult result;
    platform::ChildProcess child;
    if (child.Start(argv, opt) != ERROR_SUCCESS) {
        result.err = "cannot start " + argv.front();
        return result;
    }
    result.ended = child.Wait(timeoutMs, result.exitCode);
    if (!result.ended) {
        child.Kill();
        int ignored = 0;
        child.Wait(5000, ignored);
    }
    result.out = ReadText(opt.stdoutFile);
    result.err = ReadText(opt.stderrFile);
    return result;
}

VirtualDisplay::VirtualDisplay(const std::string& scratchFolder, int timeoutMs, const std::string& authorityFile)
{
    const std::string xvfb = FindInPath("Xvfb");
    if (xvfb.empty()) {
        m_failure = "Xvfb is not installed";
        return;
    }
    // -displayfd 1: the server picks a free display number and writes it to
    // its standard output once it accepts connections.
    platform::ChildProcess::Options opt;
    opt.stdoutFile = scratchFolder + "/xvfb.display";
    opt.stderrFile = scratchFolder + "/xvfb.log";
    std::vector<std::string> argv{xvfb, "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"};
    if (!authorityFile.empty()) {
        argv.push_back("-auth");
        argv.push_back(authorityFile);
    }
    if (m_server.Start(argv, opt) != ERROR_SUCCESS) {
        m_failure = "cannot start " + xvfb;
        return;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::string text = ReadText(opt.stdoutFile);
        if (!text.empty() && text.back() == '\n') {
            m_name = ":" + text.substr(0, text.size() - 1);
            return;
        }
        if (m_server.HasExited()) {
            m_failure = "Xvfb ended at once:\n" + ReadText(opt.stderrFile);
            return;
        }
        if (Clock::now() >= deadline) {
            m_failure = "Xvfb named no display in time:\n" + ReadText(opt.stderrFile);
            m_server.Kill();
            return;
        }
        std::this_thread::sleep_for(kPollStep);
    }
}

VirtualDisplay::~VirtualDisplay() { m_server.Stop(5000); }

bool WriteAuthority(const std::string& path)
{
    // One entry: family "wild" (any display), no address, no number, the
    // MIT-MAGIC-COOKIE-1 scheme and 16 random bytes; counts are 16-bit big-endian.
    std::random_device random;
    std::string cookie;
    for (int i = 0; i < 16; ++i)
        cookie += static_cast<char>(random() & 0xFF);
    auto counted = [](const std::string& text) {
        return std::string{static_cast<char>(text.size() >> 8), static_cast<char>(text.size() & 0xFF)} + text;
    };
    const std::string entry = std::string("\xff\xff", 2) + counted("") + counted("") + counted("MIT-MAGIC-COOKIE-1") +
                              counted(cookie);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << entry;
    return static_cast<bool>(out);
}

Keyboard::Keyboard(std::string display, std::string scratchFolder, std::string authorityFile)
    : m_display(std::move(display)), m_scratch(std::move(scratchFolder)), m_authority(std::move(authorityFile))
{
}

RunResult Keyboard::Xdotool(const std::vector<std::string>& args, int timeoutMs) const
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    Environment env{{"DISPLAY", m_display}};
    if (!m_authority.empty())
        env.emplace_back("XAUTHORITY", m_authority);
    RunResult r = Run(argv, env, m_scratch, timeoutMs);
    if (!r.ended || r.exitCode != 0) {
        m_lastError = "xdotool";
        for (const std::string& a : args)
            m_lastError += " '" + a + "'";
        m_lastError += r.ended ? " exited " + std::to_string(r.exitCode) : " did not end";
        m_lastError += ": " + r.err;
    }
    return r;
}

std::vector<std::string> Keyboard::VisibleWindows(const std::string& caption) const
{
    // Exit code 1 with no output: no such window.
    const RunResult r = Xdotool({"search", "--onlyvisible", "--name", ExactTitle(caption)}, 10000);
    return r.ended && r.exitCode == 0 ? Lines(r.out) : std::vector<std::string>{};
}

std::string Keyboard::WaitForNewWindow(const std::string& caption, const std::vector<std::string>& known,
                                       int timeoutMs) const
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        // No pause is needed before keys are typed into a window found here:
        // the program gives the window its focus control before it asks for
        // the window to be shown, and the keys come to it behind the mapping
        // and the focus change, in the order the X server sent them.
        for (const std::string& w : VisibleWindows(caption)) {
            if (!Contains(known, w))
                return w;
        }
        std::this_thread::sleep_for(kPollStep);
    } while (Clock::now() < deadline);
    return {};
}

bool Keyboard::WaitUntilGone(const std::string& window, const std::string& caption, int timeoutMs) const
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        if (!Contains(VisibleWindows(caption), window))
            return true;
        std::this_thread::sleep_for(kPollStep);
    } while (Clock::now() < deadline);
    return false;
}

bool Keyboard::Press(const std::string& window, const std::vector<std::string>& keys) const
{
    const RunResult focus = Xdotool({"windowfocus", "--sync", window}, 10000);
    if (!focus.ended || focus.exitCode != 0)
        return false;
    std::vector<std::string> args{"key", "--delay", "80"};
    args.insert(args.end(), keys.begin(), keys.end());
    const RunResult typed = Xdotool(args, 10000);
    return typed.ended && typed.exitCode == 0;
}

bool Keyboard::Move(const std::string& window, int x, int y) const
{
    const RunResult r = Xdotool({"windowmove", "--sync", window, std::to_string(x), std::to_string(y)}, 3000);
    return r.ended;  // --sync waits for the move; a window that moves back may time it out
}

std::string Keyboard::Position(const std::string& window) const
{
    const WindowGeometry g = Geometry(window);
    return g.valid ? std::to_string(g.x) + "," + std::to_string(g.y) : std::string();
}

WindowGeometry Keyboard::Geometry(const std::string& window) const
{
    const RunResult r = Xdotool({"getwindowgeometry", "--shell", window}, 10000);
    WindowGeometry g;
    if (!r.ended || r.exitCode != 0)
        return g;
    // Lines of NAME=VALUE: X, Y, WIDTH, HEIGHT (and the screen).
    int found = 0;
    for (const std::string& line : Lines(r.out)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string name = line.substr(0, eq);
        int* field = name == "X" ? &g.x : name == "Y" ? &g.y : name == "WIDTH" ? &g.width : name == "HEIGHT" ? &g.height
                                                                                                            : nullptr;
        if (field != nullptr) {
            *field = std::atoi(line.c_str() + eq + 1);
            ++found;
        }
    }
    g.valid = found == 4;
    return g;
}

bool Keyboard::Drag(const std::string& window, int x, int y, int toX, int toY) const
{
    const RunResult r = Xdotool({"mousemove", "--sync", "--window", window, std::to_string(x), std::to_string(y),
                                 "mousedown", "1", "mousemove", "--window", window, std::to_string((x + toX) / 2),
                                 std::to_string((y + toY) / 2), "mousemove", "--window", window, std::to_string(toX),
                                 std::to_string(toY), "mouseup", "1"},
                                10000);
    return r.ended && r.exitCode == 0;
}

bool Keyboard::Click(const std::string& window, int x, int y) const
{
    const RunResult r =
        Xdotool({"mousemove", "--sync", "--window", window, std::to_string(x), std::to_string(y), "click", "1"}, 10000);
    return r.ended && r.exitCode == 0;
}

}  // namespace e2e
