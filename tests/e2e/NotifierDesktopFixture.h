// The real notifier on a private desktop: its own virtual X server, store,
// runtime folders and home, an update staged from the sample update the build
// assembles, and a keyboard to answer its dialogs with. The store is read
// afterwards with the registry classes, as the next run of the notifier reads it.
#pragma once

#include "CustomCode/Common/cmRegistryKey.h"
#include "platform/kernel32/ChildProcess.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/WinError.h"
#include "platform/linux/TempDirectory.h"
#include "tests/e2e/DesktopSession.h"
#include "tests/support/TestPaths.h"
#include "tests/update/UpdateFolderFixture.h"
#include "update/BSURegistryLayout.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

// The title of the update dialog and of its confirmation, in English.
inline constexpr char kCaption[] = "Brelvo Glimmary software Update";
// Time limits: a dialog appearing, and a run ending after its answer (the
// sample installer's run included).
inline constexpr int kDialogTimeoutMs = 30000;
inline constexpr int kRunTimeoutMs = 30000;

class NotifierDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_root.Path().empty());
        if (FindInPath("Xvfb").empty() || FindInPath("xdotool").empty())
            GTEST_SKIP() << "Xvfb and xdotool are needed (Debian packages xvfb, xdotool)";
        // The dialogs must go to the virtual X server through the module the
        // program finds itself, whatever the caller's environment says.
        SetEnvironmentVariableA("QT_QPA_PLATFORM", nullptr);
        SetEnvironmentVariableA("BRELVO_GUI_MODULE", nullptr);
        SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
        for (const char* d : {"home", "scratch", "updates", "xdg-runtime"})
            std::filesystem::create_directories(Path(d));
        std::filesystem::permissions(Path("xdg-runtime"), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
        m_display = std::make_unique<VirtualDisplay>(Path("scratch"));
        ASSERT_TRUE(m_display->Ready()) << m_display->Failure();
        m_keyboard = std::make_unique<Keyboard>(m_display->Name(), Path("scratch"));
        // The dialogs' language does not follow the machine's locale.
        ASSERT_EQ(Key(szBSUNotifierKey).SetString(szBSULanguageValue, cmString("1033")), ERROR_SUCCESS);
    }

    std::string Path(const std::string& relative) const { return m_root.Path() + "/" + relative; }

    // The environment of a notifier run: this test's store and folders, the
    // virtual display, and the build's glm-milestone for the sample installer.
    // The session bus address names a socket that does not exist, so the
    // toolkit never reaches the bus of a desktop the tests may run in.
    Environment NotifierEnvironment() const
    {
        return {{"BRELVO_REGISTRY", platform::GetEnv("BRELVO_REGISTRY")},
                {"BRELVO_RUNTIME_DIR", Path("brelvo-runtime")},
                {"BRELVO_LOG_FILE", Path("logfile")},
                {"BRELVO_DUMP_FILE", Path("Glimmary.dmp")},
                {"XDG_RUNTIME_DIR", Path("xdg-runtime")},
                {"HOME", Path("home")},
                {"DISPLAY", m_display ? m_display->Name() : m_goneDisplay},
                {"GLM_MILESTONE", testsupport::BuildPath("tools/glm-milestone")},
                {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + Path("no-session-bus")},
                {"XAUTHORITY", m_notifierAuthority}};
    }

    // Replaces the display with one that admits only holders of its cookie.
    // The keyboard holds it; the notifier is given notifierAuthority as its
    // X authority file (the cookie's file when empty).
    void UseDisplayWithCookie(const std::string& notifierAuthority = "")
    {
        const std::string cookie = Path("scratch/display-cookie");
        ASSERT_TRUE(WriteAuthority(cookie));
        m_keyboard.reset();
        m_display = std::make_unique<VirtualDisplay>(Path("scratch"), 15000, cookie);
        ASSERT_TRUE(m_display->Ready()) << m_display->Failure();
        m_keyboard = std::make_unique<Keyboard>(m_display->Name(), Path("scratch"), cookie);
        m_notifierAuthority = notifierAuthority.empty() ? cookie : notifierAuthority;
    }

    // Ends the X server, as when the display goes away under the programs on it.
    void StopDisplay()
    {
        m_goneDisplay = m_display->Name();
        m_display.reset();
    }

    std::unique_ptr<platform::ChildProcess> StartNotifier(const std::string& program = testsupport::BuildPath("Notifier"))
    {
        platform::ChildProcess::Options opt;
        opt.environment = NotifierEnvironment();
        opt.stdoutFile = Path("scratch/notifier-" + std::to_string(++m_runs) + ".out");
        opt.stderrFile = Path("scratch/notifier-" + std::to_string(m_runs) + ".err");
        auto p = std::make_unique<platform::ChildProcess>();
        EXPECT_EQ(p->Start({program}, opt), ERROR_SUCCESS) << program;
        return p;
    }

    // The notifier's update dialog, once it is visible; empty (and the test
    // failed) when none came in time.
    std::string WaitForDialog(platform::ChildProcess& notifier, const std::vector<std::string>& known = {})
    {
        const std::string w = m_keyboard->WaitForNewWindow(kCaption, known, kDialogTimeoutMs);
        EXPECT_FALSE(w.empty()) << "no window \"" << kCaption << "\" appeared"
                                << (notifier.HasExited() ? " (the notifier has ended)" : "") << "\n"
                                << Diagnostics();
        return w;
    }

    void Press(const std::string& window, const std::vector<std::string>& keys)
    {
        EXPECT_TRUE(m_keyboard->Press(window, keys)) << m_keyboard->LastError();
    }

    // Waits for the run to end; its exit code, -1 (and the child killed) when
    // it did not end in time.
    int Finish(platform::ChildProcess& notifier, int timeoutMs = kRunTimeoutMs)
    {
        int code = -1;
        if (!notifier.Wait(timeoutMs, code)) {
            ADD_FAILURE() << "the notifier did not end\n" << Diagnostics();
            notifier.Kill();
            notifier.Wait(5000, code);
            return -1;
        }
        return code;
    }

    const Keyboard& Keys() const { return *m_keyboard; }

    // The sample update copied to an update folder of this test and named as
    // the waiting update.
    std::string StageSampleUpdate(const std::string& name = "sample")
    {
        const std::string folder = Path("updates/" + name);
        std::error_code ec;
        std::filesystem::copy(testsupport::BuildPath("sample-update"), folder, std::filesystem::copy_options::recursive,
                              ec);
        EXPECT_FALSE(ec) << "cannot copy the sample update: " << ec.message();
        EXPECT_TRUE(std::filesystem::exists(folder + "/Update.cfg"));
        EXPECT_EQ(Key(szBSUUpdaterKey).SetString(szBSUNewUpdateValue, cmString(folder.c_str())), ERROR_SUCCESS);
        return folder;
    }

    // Rewrites the staged update's Update.cfg with another installer command,
    // keeping its products and descriptions.
    static void SetInstallerCommand(const std::string& folder, const std::string& command)
    {
        testsupport::RewriteInstallerCommand(folder, command);
    }

    static cmRegistryKey Key(const char* path)
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, path, cmRegistryCreate::CreateMissing).GetWritableCopy();
    }
    static std::string Text(const char* key, const char* value)
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, key).QueryString(value).GetText();
    }
    static bool ValuePresent(const char* key, const char* value)
    {
        cmRegistryKey k(HKEY_LOCAL_MACHINE, key);
        return k.GetHandle() != nullptr &&
               RegQueryValueExA(k.GetHandle(), value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    static bool KeyPresent(const std::string& key)
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, key.c_str()).GetHandle() != nullptr;
    }
    static DWORD Dword(const char* key, const char* value) { return cmRegistryKey(HKEY_LOCAL_MACHINE, key).QueryDword(value); }
    static std::string NewUpdate() { return Text(szBSUUpdaterKey, szBSUNewUpdateValue); }
    static DWORD Status() { return Dword(szBSUNotificationKey, szBSUStatusValue); }
    static std::string NextDate() { return Text(szBSUNotificationKey, szBSUNextUpdateValue); }

    // What the notifier runs and Xvfb said, for a failure's message.
    std::string Diagnostics() const
    {
        std::string s;
        for (int i = 1; i <= m_runs; ++i)
            s += "notifier run " + std::to_string(i) + " stderr:\n" +
                 ReadText(Path("scratch/notifier-" + std::to_string(i) + ".err"));
        s += "log file:\n" + ReadText(Path("logfile"));
        s += "Xvfb:\n" + ReadText(Path("scratch/xvfb.log"));
        return s;
    }

private:
    platform::ScopedTempDirectory m_root{"e2e"};
    std::unique_ptr<VirtualDisplay> m_display;
    std::unique_ptr<Keyboard> m_keyboard;
    // No authority file: the displays of these tests admit every local client.
    std::string m_notifierAuthority = Path("no-xauthority");
    std::string m_goneDisplay;  // the name of the display StopDisplay ended
    int m_runs = 0;
};

}  // namespace e2e
