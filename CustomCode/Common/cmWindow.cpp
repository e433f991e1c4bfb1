#include "CustomCode/Common/cmWindow.h"

#include "CustomCode/Common/cmLog.h"
#include "platform/kernel32/DebugOutput.h"

#include <cstdint>
#include <cstdio>

cmWindow::~cmWindow()
{
    if (m_hWnd != nullptr) {
        cmLogPrint("%s", "cmWindow: d-tor: Window still live!  Closing!\n");
        DestroyWindow(m_hWnd);
        cmLogPrint("%s", "cmWindow: d-tor: hope the window's closed now...\n");
    } else {
        cmLogPrint("%s", "cmWindow: d-tor: Window already gone.\n");
    }
}

LRESULT cmWindow::WindowProc(UINT, WPARAM, LPARAM) { return 0; }

LRESULT cmWindow::ClassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // The object travels with the creation and is kept with the window.
    if (uMsg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<cmWindow*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (self != nullptr) {
        if (self->m_hWnd == nullptr && uMsg != WM_DESTROY)
            self->m_hWnd = hWnd;
        result = self->WindowProc(uMsg, wParam, lParam);
        if (uMsg == WM_DESTROY) {
            self->m_hWnd = nullptr;
            SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        }
    }
    return result != 0 ? result : DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

bool cmWindow::Create(DWORD dwStyle, DWORD dwExStyle)
{
    HMODULE hModule = cmGetOwnModule();
    WNDCLASSEXA probe{};
    probe.cbSize = sizeof probe;
    int n = 0;
    for (; n < 65535; ++n) {
        // The address as the name's format gives it: its low 32 bits on a
        // 64-bit system; a taken name moves on to the next index anyway.
        std::snprintf(m_szClassName, sizeof m_szClassName, "cmWindowStyle:%x:%d",
                      static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this)), n);
        if (!GetClassInfoExA(hModule, m_szClassName, &probe))
            break;
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &cmWindow::ClassProc;
    wc.hInstance = hModule;
    wc.lpszClassName = m_szClassName;
    if (n == 65535 || RegisterClassExA(&wc) == 0) {
        OutputDebugStringA("RegisterClassEx Failed!\n");
        return false;
    }
    m_hWnd = CreateWindowExA(dwExStyle, m_szClassName, "WindowName", dwStyle, 0, 0, 0, 0, nullptr, nullptr, hModule,
                             this);
    return m_hWnd != nullptr;
}

HMODULE cmGetOwnModule() { return GetModuleHandleA(nullptr); }
