// A private update folder, the update's "Update.cfg", and the updater's
// registry values, for the tests of the update metadata and its cleanup.
#pragma once

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmRegistryKey.h"
#include "Notifier/Retail/Common/tcConfigFileData.h"
#include "platform/linux/TempDirectory.h"
#include "update/BSURegistryLayout.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// Rewrites the Update.cfg of an update folder with another installer command,
// keeping its products and descriptions.
inline void RewriteInstallerCommand(const std::string& folder, const std::string& command)
{
    const std::string cfg = folder + "/Update.cfg";
    tcConfigFileData data;
    ASSERT_EQ(data.ReadFile(cfg.c_str()), S_OK) << cfg;
    data.SetCommand(cmString(command.c_str()));
    ASSERT_EQ(data.WriteFile(cfg.c_str()), S_OK) << cfg;
}

class UpdateFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_root.Path().empty());
        m_savedFlags = cmDebugFlags<CM_DEBUG_ID_NOTIFIER_MODULES>();
        cmDebugFlags<CM_DEBUG_ID_NOTIFIER_MODULES>() = CM_DEBUG_INFO | CM_DEBUG_WARNING;
    }
    void TearDown() override { cmDebugFlags<CM_DEBUG_ID_NOTIFIER_MODULES>() = m_savedFlags; }

    std::string Root() const { return m_root.Path(); }
    // A folder below the private root, made with its parents.
    std::string MakeFolder(const std::string& relative) const
    {
        const std::string p = Root() + "/" + relative;
        std::filesystem::create_directories(p);
        return p;
    }
    static void WriteText(const std::string& path, const std::string& text)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    static bool Exists(const std::string& path)
    {
        std::error_code ec;
        return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
    }

    struct Config {
        std::string command = "setup.sh";
        std::vector<std::pair<std::string, std::string>> products;
        std::map<DWORD, std::string> descriptions;
        std::map<DWORD, std::string> html;
    };
    static void WriteConfig(const std::string& folder, const Config& c)
    {
        tcConfigFileData data;
        data.SetCommand(cmString(c.command.c_str()));
        for (const auto& [name, version] : c.products)
            data.AddProductVersion(tcProductVersionInfo(cmString(name.c_str()), cmString(version.c_str())));
        for (const auto& [lang, rtf] : c.descriptions) {
            cmBuffer b;
            b.Set(static_cast<DWORD>(rtf.size()), rtf.data());
            data.SetDesc(lang, b);
        }
        tcHTMLDescriptionFolderList html;
        for (const auto& [lang, path] : c.html)
            html[lang] = cmString(path.c_str());
        data.SetHTMLDescriptionFolderList(html);
        ASSERT_EQ(data.WriteFile((folder + "/Update.cfg").c_str()), S_OK);
    }

    static cmRegistryKey WritableKey(const char* path)
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, path, cmRegistryCreate::CreateMissing).GetWritableCopy();
    }
    static void SetText(const char* key, const char* value, const std::string& text)
    {
        ASSERT_EQ(WritableKey(key).SetString(value, cmString(text.c_str())), ERROR_SUCCESS);
    }
    static std::string GetText(const char* key, const char* value)
    {
        return cmRegistryKey(HKEY_LOCAL_MACHINE, key).QueryString(value).GetText();
    }
    static bool ValuePresent(const char* key, const char* value)
    {
        cmRegistryKey k(HKEY_LOCAL_MACHINE, key);
        return k.GetHandle() != nullptr && RegQueryValueExA(k.GetHandle(), value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    static bool KeyPresent(const char* key) { return cmRegistryKey(HKEY_LOCAL_MACHINE, key).GetHandle() != nullptr; }
    static void SetNewUpdate(const std::string& folder) { SetText(szBSUUpdaterKey, szBSUNewUpdateValue, folder); }
    static std::string NewUpdate() { return GetText(szBSUUpdaterKey, szBSUNewUpdateValue); }
    static void SetLanguage(const std::string& text) { SetText(szBSUNotifierKey, szBSULanguageValue, text); }

private:
    platform::ScopedTempDirectory m_root{"update-folder"};
    DWORD m_savedFlags = 0;
};

}  // namespace testsupport
