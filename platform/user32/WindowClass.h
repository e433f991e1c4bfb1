// Window classes of this process, for the platform layer's own use (the
// Win32 calls RegisterClassExA, GetClassInfoExA and UnregisterClassA are
// declared in platform/user32/WinUser.h).
//
// A class belongs to a module (a null module means the program's own); its
// name is matched without regard to ASCII case, and it has an atom from
// 0xC000 up that can stand for the name.
#pragma once

#include "platform/user32/WinUser.h"

#include <memory>
#include <string>

namespace platform::detail {

struct WindowClass {
    ATOM atom = 0;
    HINSTANCE instance = nullptr;
    std::string name;
    std::string menuName;
    bool hasMenuName = false;
    WNDCLASSEXA info{};  // as registered; the name pointers point into this record
};

// The class of that name or atom, or null (ERROR_CANNOT_FIND_WND_CLASS).
std::shared_ptr<const WindowClass> FindWindowClass(HINSTANCE instance, LPCSTR nameOrAtom);

}  // namespace platform::detail
