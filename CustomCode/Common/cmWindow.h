// cmWindow: a hidden top-level window whose messages go to an object. Each
// object registers a window class of its own ("cmWindowStyle:<address>:<n>")
// whose procedure leads to the object's WindowProc; a result of 0 lets the
// message have the default processing too. Messages sent to all top-level
// windows, also from other processes, reach it on the thread that made it.
#pragma once

#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"

class cmWindow {
public:
    cmWindow() = default;
    cmWindow(const cmWindow&) = delete;
    cmWindow& operator=(const cmWindow&) = delete;
    // Destroys a window that is still there; the class stays registered.
    virtual ~cmWindow();

    // Registers the object's class and creates the window (position and size
    // 0, no parent); true when a window was made.
    bool Create(DWORD dwStyle, DWORD dwExStyle);

    HWND GetHandle() const { return m_hWnd; }
    const char* GetClassName() const { return m_szClassName; }

protected:
    // One message of the window; 0 also hands it to the default processing.
    virtual LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT ClassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    char m_szClassName[64] = {};
};

// The module that holds the program's resources and code (the one every
// resource load of the program passes).
HMODULE cmGetOwnModule();
