// Icons from group-icon resources. An icon is decoded once per module,
// name and resource data, and kept for the life of the process: Windows
// shares icons loaded from resources and never frees them, so their
// handles stay valid wherever they were handed out.
#include "platform/user32/Icon.h"

#include "platform/imaging/IcoDecoder.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinError.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <tuple>

namespace {

struct IconObject {
    platform::PixelImage image;
};

// What an icon is shared by. The resource's bytes are part of the key, so a
// module registered later at a reused address gets its own icon.
// "#128" and 128 are two keys for one resource; each decodes it once.
struct IconKey {
    HMODULE module;
    WORD id;
    std::string name;  // upper-case; empty for an integer name
    const void* data;

    bool operator<(const IconKey& o) const
    {
        return std::tie(module, id, name, data) < std::tie(o.module, o.id, o.name, o.data);
    }
};

class IconTable {
public:
    HICON Find(const IconKey& key)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_byKey.find(key);
        return it == m_byKey.end() ? nullptr : Handle(it->second.get());
    }

    // Keeps the icon; when another thread added the same one first, that one wins.
    HICON Add(const IconKey& key, std::unique_ptr<IconObject> icon)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto [it, added] = m_byKey.emplace(key, std::move(icon));
        if (added)
            m_live.insert(it->second.get());
        return Handle(it->second.get());
    }

    const IconObject* Lookup(HICON h)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_live.find(reinterpret_cast<IconObject*>(h));
        return it == m_live.end() ? nullptr : *it;
    }

private:
    static HICON Handle(IconObject* icon) { return reinterpret_cast<HICON>(icon); }

    std::mutex m_lock;
    std::map<IconKey, std::unique_ptr<IconObject>> m_byKey;
    std::set<const IconObject*> m_live;
};

// Never destroyed: icons outlive every static object that may draw them.
IconTable& Icons()
{
    static IconTable* table = new IconTable;
    return *table;
}

std::string UpperName(LPCSTR name)
{
    std::string s(name);
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName)
{
    if (lpIconName == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    // Language neutral: the neutral search order ends with any language.
    HRSRC hRes = FindResourceExA(hInstance, RT_GROUP_ICON, lpIconName, 0);
    if (hRes == nullptr)
        return nullptr;  // FindResourceExA has set the last error
    HGLOBAL hData = LoadResource(hInstance, hRes);
    const BYTE* data = static_cast<const BYTE*>(LockResource(hData));
    const DWORD size = SizeofResource(hInstance, hRes);
    if (data == nullptr)
        return nullptr;

    IconKey key{hInstance, 0, {}, data};
    if (IS_INTRESOURCE(lpIconName))
        key.id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(lpIconName));
    else
        key.name = UpperName(lpIconName);
    if (HICON shared = Icons().Find(key))
        return shared;

    platform::IcoDecoder ico;
    auto icon = std::make_unique<IconObject>();
    if (!ico.ReadDirectory(data, size) ||
        !ico.DecodeClosest(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), icon->image)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return Icons().Add(key, std::move(icon));
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON hIcon)
{
    const platform::PixelImage* image = IconImage(hIcon);
    if (image == nullptr) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    if (hdc == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    hdc->DrawImage(*image, x, y, image->width, image->height, 0, 0, image->width, image->height);
    return TRUE;
}

const platform::PixelImage* IconImage(HICON hIcon)
{
    if (hIcon == nullptr)
        return nullptr;
    const IconObject* icon = Icons().Lookup(hIcon);
    return icon == nullptr ? nullptr : &icon->image;
}
