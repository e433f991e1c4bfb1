// A desktop for the end-to-end tests: a private virtual X server (Xvfb) and
// a user's keyboard (xdotool) on it. Every wait has a time limit, and every
// program started here is killed when its owner goes away, so a test that
// goes wrong fails instead of hanging.
#pragma once

#include "platform/kernel32/ChildProcess.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// The program's path when a folder of $PATH has it as an executable file,
// else the empty text.
std::string FindInPath(const std::string& program);

// The whole content of a file; empty when it cannot be read.
std::string ReadText(const std::string& path);

using Environment = std::vector<std::pair<std::string, std::string>>;

// A program run to its end.
struct RunResult {
    bool ended = false;  // false: still running at the time limit, then killed
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs argv with the extra environment; its output goes through files in
// scratchFolder. A program still running after timeoutMs is killed.
RunResult Run(const std::vector<std::string>& argv, const Environment& env, const std::string& scratchFolder,
              int timeoutMs);

// Xvfb on a display number of its own choosing (-displayfd), without TCP.
class VirtualDisplay {
public:
    // Starts the server and waits up to timeoutMs for it to name its display.
    // With an authority file (see WriteAuthority) the server admits only
    // clients that hold its cookie.
    VirtualDisplay(const std::string& scratchFolder, int timeoutMs = 15000, const std::string& authorityFile = "");
    // Ends the server with SIGTERM, so it removes its lock file and socket.
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool Ready() const { return !m_name.empty(); }
    // ":N"
    const std::string& Name() const { return m_name; }
    // Why the server is not ready: the failure and what Xvfb said.
    const std::string& Failure() const { return m_failure; }

private:
    platform::ChildProcess m_server;
    std::string m_name;
    std::string m_failure;
};

// Writes an X authority file with one random cookie that stands for every
// display, as a display manager gives a session its cookie. False on failure.
bool WriteAuthority(const std::string& path);


// A window's place and size as the X server has it.
struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool valid = false;
};

// A user at the keyboard (and the mouse) of a display (with the display's
// authority file, when it has one).
class Keyboard {
public:
    Keyboard(std::string display, std::string scratchFolder, std::string authorityFile = "");

    // The visible windows whose title matches the caption, as xdotool lists them.
    std::vector<std::string> VisibleWindows(const std::string& caption) const;
    // Waits up to timeoutMs for a visible window with the caption that is not
    // among known; its id, or the empty text.
    std::string WaitForNewWindow(const std::string& caption, const std::vector<std::string>& known,
                                 int timeoutMs) const;
    // Whether no window with the caption is visible within timeoutMs.
    bool WaitUntilGone(const std::string& window, const std::string& caption, int timeoutMs) const;
    // Gives the window the keyboard focus, then types the keys (xdotool key
    // names such as "Tab", "Return", "Escape"). False when xdotool failed.
    bool Press(const std::string& window, const std::vector<std::string>& keys) const;
    // Moves the window as a window manager does for a drag by its caption.
    bool Move(const std::string& window, int x, int y) const;
    // The window's position as xdotool reports it ("X,Y"), empty on failure.
    std::string Position(const std::string& window) const;
    WindowGeometry Geometry(const std::string& window) const;
    // Presses the left button at x, y of the window, moves the mouse to
    // toX, toY of it with the button held, and lets go.
    bool Drag(const std::string& window, int x, int y, int toX, int toY) const;
    // A click of the left button at x, y of the window.
    bool Click(const std::string& window, int x, int y) const;
    // What the last failing xdotool run said.
    const std::string& LastError() const { return m_lastError; }

private:
    RunResult Xdotool(const std::vector<std::string>& args, int timeoutMs) const;

    std::string m_display;
    std::string m_scratch;
    std::string m_authority;
    mutable std::string m_lastError;
};

}  // namespace e2e
