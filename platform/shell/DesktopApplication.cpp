#include "platform/shell/DesktopApplication.h"

#include "platform/kernel32/SystemLibrary.h"

#include <gio/gio.h>

#include <memory>

namespace platform {

namespace {

// GIO's entries, resolved from the library (and the GLib and GObject
// libraries it brings) the first time a file is asked about.
class Gio : public SystemLibrary<Gio> {
public:
    decltype(&g_content_type_guess) content_type_guess = nullptr;
    decltype(&g_app_info_get_default_for_type) app_info_get_default_for_type = nullptr;
    decltype(&g_app_info_launch) app_info_launch = nullptr;
    decltype(&g_file_new_for_path) file_new_for_path = nullptr;
    decltype(&g_object_unref) object_unref = nullptr;
    decltype(&g_error_free) error_free = nullptr;
    decltype(&g_free) free = nullptr;

private:
    friend SystemLibrary<Gio>;
    Gio()
    {
        Load("libgio-2.0.so.0", Entry(content_type_guess, "g_content_type_guess"),
             Entry(app_info_get_default_for_type, "g_app_info_get_default_for_type"),
             Entry(app_info_launch, "g_app_info_launch"), Entry(file_new_for_path, "g_file_new_for_path"),
             Entry(object_unref, "g_object_unref"), Entry(error_free, "g_error_free"), Entry(free, "g_free"));
    }
};

// Owners of what GIO hands out.
struct ObjectRelease {
    void operator()(gpointer p) const { Gio::Get().object_unref(p); }
};
using AppInfo = std::unique_ptr<GAppInfo, ObjectRelease>;
using File = std::unique_ptr<GFile, ObjectRelease>;

AppInfo DefaultApplicationFor(const Gio& gio, const std::string& path)
{
    gchar* type = gio.content_type_guess(path.c_str(), nullptr, 0, nullptr);
    if (type == nullptr)
        return nullptr;
    AppInfo app(gio.app_info_get_default_for_type(type, FALSE));
    gio.free(type);
    return app;
}

}  // namespace

bool HasDefaultApplication(const std::string& path)
{
    const Gio& gio = Gio::Get();
    return gio.Loaded() && DefaultApplicationFor(gio, path) != nullptr;
}

bool LaunchDefaultApplication(const std::string& path, std::string& error)
{
    const Gio& gio = Gio::Get();
    if (!gio.Loaded()) {
        error = "GIO (libgio-2.0.so.0) cannot be loaded";
        return false;
    }
    const AppInfo app = DefaultApplicationFor(gio, path);
    if (!app) {
        error = "no application opens " + path;
        return false;
    }
    const File file(gio.file_new_for_path(path.c_str()));
    GList files{file.get(), nullptr, nullptr};
    GError* failure = nullptr;
    if (gio.app_info_launch(app.get(), &files, nullptr, &failure))
        return true;
    error = failure != nullptr && failure->message != nullptr ? failure->message : "the application did not start";
    if (failure != nullptr)
        gio.error_free(failure);
    return false;
}

}  // namespace platform
