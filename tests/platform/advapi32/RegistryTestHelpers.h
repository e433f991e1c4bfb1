// Helpers of the registry tests: a fresh store per test and short forms of
// the Reg* calls that fail the test when the store refuses.
#pragma once

#include "platform/advapi32/Registry.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/WinError.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace registrytest {

// Points BRELVO_REGISTRY at a store file that does not exist yet, in a
// folder of its own below the test's temporary folder.
inline std::string UseFreshStore(const std::string& name)
{
    const std::string dir = platform::GetEnv("TMPDIR") + "/" + name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/registry.sqlite";
    SetEnvironmentVariableA("BRELVO_REGISTRY", path.c_str());
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    return path;
}

inline HKEY CreateKey(HKEY root, const char* path, REGSAM sam = KEY_ALL_ACCESS)
{
    HKEY h = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, sam, nullptr, &h, nullptr), 0) << path;
    return h;
}

// Exactly these bytes, as another program or an earlier version may have
// left them: text keeps a missing terminator missing.
inline void SetRaw(HKEY h, const char* name, DWORD type, const std::string& bytes)
{
    EXPECT_EQ(platform::RegSetValueExact(h, name, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                         static_cast<DWORD>(bytes.size())),
              0)
        << name;
}

inline void SetText(HKEY h, const char* name, const std::string& text)
{
    SetRaw(h, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

inline void SetNumber(HKEY h, const char* name, DWORD v)
{
    EXPECT_EQ(RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v), 0) << name;
}

// The value's bytes and type; status in *status when given.
inline std::string GetRaw(HKEY h, const char* name, DWORD* type = nullptr, LONG* status = nullptr)
{
    DWORD cb = 0;
    LONG st = RegQueryValueExA(h, name, nullptr, type, nullptr, &cb);
    std::string data(cb, '\0');
    if (st == ERROR_SUCCESS)
        st = RegQueryValueExA(h, name, nullptr, type, reinterpret_cast<BYTE*>(data.data()), &cb);
    if (status != nullptr)
        *status = st;
    return st == ERROR_SUCCESS ? data.substr(0, cb) : std::string();
}

inline std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace registrytest
