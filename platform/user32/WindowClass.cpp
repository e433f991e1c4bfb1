#include "platform/user32/WindowClass.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/WindowTable.h"

#include <mutex>
#include <vector>

namespace platform::detail {

namespace {

struct ClassTable {
    std::mutex lock;
    std::vector<std::shared_ptr<WindowClass>> classes;
    ATOM nextAtom = 0xC000;
};

ClassTable& Classes()
{
    static ClassTable* table = new ClassTable;  // lives until exit, also for static destructors
    return *table;
}

HINSTANCE Normalized(HINSTANCE instance) { return instance != nullptr ? instance : GetModuleHandleA(nullptr); }

bool SameName(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        const char x = a[i];
        const char y = b[i];
        if (y == '\0')
            return false;
        const char lx = (x >= 'A' && x <= 'Z') ? static_cast<char>(x - 'A' + 'a') : x;
        const char ly = (y >= 'A' && y <= 'Z') ? static_cast<char>(y - 'A' + 'a') : y;
        if (lx != ly)
            return false;
    }
    return b[i] == '\0';
}

// Under the table lock.
std::shared_ptr<WindowClass> FindLocked(ClassTable& t, HINSTANCE instance, LPCSTR nameOrAtom)
{
    if (nameOrAtom == nullptr)
        return nullptr;
    const bool byAtom = IS_INTRESOURCE(nameOrAtom);
    const ATOM atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(nameOrAtom));
    for (const auto& c : t.classes) {
        if (c->instance != instance)
            continue;
        if (byAtom ? c->atom == atom : SameName(c->name, nameOrAtom))
            return c;
    }
    return nullptr;
}

}  // namespace

std::shared_ptr<const WindowClass> FindWindowClass(HINSTANCE instance, LPCSTR nameOrAtom)
{
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> g(t.lock);
    auto c = FindLocked(t, Normalized(instance), nameOrAtom);
    if (!c)
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return c;
}

}  // namespace platform::detail

using platform::detail::Classes;
using platform::detail::ClassTable;
using platform::detail::WindowClass;

ATOM RegisterClassExA(const WNDCLASSEXA* lpwcx)
{
    if (lpwcx == nullptr || lpwcx->cbSize != sizeof(WNDCLASSEXA) || lpwcx->lpszClassName == nullptr ||
        IS_INTRESOURCE(lpwcx->lpszClassName) || lpwcx->lpszClassName[0] == '\0' || lpwcx->cbWndExtra < 0 ||
        lpwcx->cbWndExtra > 40 || lpwcx->cbClsExtra < 0 || lpwcx->cbClsExtra > 40) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string name(lpwcx->lpszClassName);
    if (name.size() > 255) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> g(t.lock);
    const HINSTANCE instance = platform::detail::Normalized(lpwcx->hInstance);
    if (platform::detail::FindLocked(t, instance, name.c_str())) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    if (t.nextAtom == 0) {  // all atoms handed out (wrapped past 0xFFFF)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    auto c = std::make_shared<WindowClass>();
    c->atom = t.nextAtom++;
    c->instance = instance;
    c->name = name;
    c->info = *lpwcx;
    c->info.hInstance = instance;
    if (lpwcx->lpszMenuName != nullptr && !IS_INTRESOURCE(lpwcx->lpszMenuName)) {
        c->menuName = lpwcx->lpszMenuName;
        c->hasMenuName = true;
    }
    c->info.lpszClassName = c->name.c_str();
    if (c->hasMenuName)
        c->info.lpszMenuName = c->menuName.c_str();
    t.classes.push_back(c);
    return c->atom;
}

BOOL GetClassInfoExA(HINSTANCE hInstance, LPCSTR lpszClass, WNDCLASSEXA* lpwcx)
{
    if (lpwcx == nullptr || lpszClass == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> g(t.lock);
    auto c = platform::detail::FindLocked(t, platform::detail::Normalized(hInstance), lpszClass);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *lpwcx = c->info;
    return c->atom;
}

BOOL UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance)
{
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> g(t.lock);
    auto c = platform::detail::FindLocked(t, platform::detail::Normalized(hInstance), lpClassName);
    if (!c) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (platform::detail::CountWindowsOfClass(c.get()) != 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    std::erase(t.classes, c);
    return TRUE;
}
