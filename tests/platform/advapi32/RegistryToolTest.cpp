// brelvo-reg, run as the real program on the test's own store.
#include "platform/advapi32/Registry.h"
#include "platform/kernel32/ChildProcess.h"
#include "tests/platform/advapi32/RegistryTestHelpers.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace registrytest;
namespace fs = std::filesystem;

namespace {

const std::string kTool = testsupport::BuildPath("tools/brelvo-reg");
const char* const kNotification = "HKLM\\SOFTWARE\\Brelvo\\Brelvo Software Updater\\Notification";
const char* const kNotificationFull = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brelvo\\Brelvo Software Updater\\Notification";

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class BrelvoReg : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_store = UseFreshStore(::testing::UnitTest::GetInstance()->current_test_info()->name());
        m_dir = fs::path(m_store).parent_path().string();
    }

    // Runs the tool with the given words, stdin from the text.
    ToolRun Tool(const std::vector<std::string>& words, const std::string& input = "",
             const std::string& store = std::string())
    {
        const std::string in = m_dir + "/stdin", out = m_dir + "/stdout", err = m_dir + "/stderr";
        { std::ofstream(in, std::ios::binary) << input; }
        std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" <\"$TOOL_IN\" 2>\"$TOOL_ERR\"", kTool};
        argv.insert(argv.end(), words.begin(), words.end());
        platform::ChildProcess child;
        platform::ChildProcess::Options o;
        o.stdoutFile = out;
        o.environment = {{"TOOL_IN", in}, {"TOOL_ERR", err}, {"BRELVO_REGISTRY", store.empty() ? m_store : store}};
        ToolRun r;
        if (child.Start(argv, o) != 0 || !child.Wait(20000, r.status))
            return r;
        r.out = FileBytes(out);
        r.err = FileBytes(err);
        return r;
    }

    static void ExpectOneLineError(const ToolRun& r)
    {
        EXPECT_EQ(r.err.rfind("brelvo-reg: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }

    std::string m_store;
    std::string m_dir;
};

TEST_F(BrelvoReg, AddsADwordAndQueriesItInTheLayoutOfReg)
{
    ToolRun r = Tool({"add", kNotification, "/v", "BSU", "/t", "REG_DWORD", "/d", "2", "/f"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "The operation completed successfully.\n");

    r = Tool({"query", kNotification, "/v", "BSU"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, std::string("\n") + kNotificationFull + "\n    BSU    REG_DWORD    0x2\n\n");

    // And the store holds a real REG_DWORD.
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brelvo\\Brelvo Software Updater\\Notification", 0,
                            KEY_READ, &h),
              0);
    DWORD type = 0;
    EXPECT_EQ(GetRaw(h, "bsu", &type), std::string("\2\0\0\0", 4));
    EXPECT_EQ(type, REG_DWORD);
    RegCloseKey(h);
}

TEST_F(BrelvoReg, QueriesAKeyWithItsSubKeysAndATreeWithS)
{
    ASSERT_EQ(Tool({"add", "HKCU\\App", "/v", "Name", "/d", "Brelvo"}).status, 0);
    ASSERT_EQ(Tool({"add", "HKCU\\App", "/ve", "/d", "dflt"}).status, 0);
    ASSERT_EQ(Tool({"add", "HKCU\\App\\Sub", "/v", "Hex", "/t", "REG_BINARY", "/d", "00ff1A"}).status, 0);
    ASSERT_EQ(Tool({"add", "HKCU\\App\\Sub\\Deep", "/v", "M", "/t", "REG_MULTI_SZ", "/d", "a\\0b"}).status, 0);
    ASSERT_EQ(Tool({"add", "HKEY_CURRENT_USER\\App\\Other"}).status, 0) << "a key alone";
    ASSERT_EQ(Tool({"add", "HKCU\\App", "/v", "Q", "/t", "REG_QWORD", "/d", "0x100000000"}).status, 0);

    ToolRun r = Tool({"query", "hkcu\\app"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "\nHKEY_CURRENT_USER\\app\n"
              "    Name    REG_SZ    Brelvo\n"
              "    (Default)    REG_SZ    dflt\n"
              "    Q    REG_QWORD    0x100000000\n"
              "\n"
              "HKEY_CURRENT_USER\\app\\Other\n"
              "HKEY_CURRENT_USER\\app\\Sub\n");

    r = Tool({"query", "HKCU\\App\\Sub", "/s"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "\nHKEY_CURRENT_USER\\App\\Sub\n"
              "    Hex    REG_BINARY    00FF1A\n"
              "\n"
              "HKEY_CURRENT_USER\\App\\Sub\\Deep\n"
              "    M    REG_MULTI_SZ    a\\0b\n"
              "\n");

    r = Tool({"query", "HKCU\\App", "/v", "m", "/s"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("    M    REG_MULTI_SZ    a\\0b\n"), std::string::npos);
    EXPECT_NE(r.out.find("End of search: 1 match(es) found.\n"), std::string::npos);
    r = Tool({"query", "HKCU\\App", "/ve"});
    EXPECT_NE(r.out.find("    (Default)    REG_SZ    dflt\n"), std::string::npos);
}

TEST_F(BrelvoReg, SlashVeAndANullNameWriteTheSameDefaultValue)
{
    ASSERT_EQ(Tool({"add", "HKLM\\SOFTWARE\\D", "/ve", "/d", "from the tool"}).status, 0);
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\D");
    EXPECT_EQ(GetRaw(h, nullptr), std::string("from the tool\0", 14));

    const char text[] = "from a null name";
    ASSERT_EQ(RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), 0);
    ToolRun r = Tool({"query", "HKLM\\SOFTWARE\\D"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\D\n    (Default)    REG_SZ    from a null name\n\n")
        << "one default value, not two";

    ASSERT_EQ(Tool({"add", "HKLM\\SOFTWARE\\D", "/ve", "/d", "again", "/f"}).status, 0);
    EXPECT_EQ(GetRaw(h, nullptr), std::string("again\0", 6));
    ASSERT_EQ(Tool({"delete", "HKLM\\SOFTWARE\\D", "/ve", "/f"}).status, 0);
    EXPECT_EQ(RegQueryValueExA(h, nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    RegCloseKey(h);
}

TEST_F(BrelvoReg, MissingKeysAndValuesAndBadUsageExitWithOneLine)
{
    ASSERT_EQ(Tool({"add", "HKLM\\SOFTWARE\\X", "/v", "a", "/d", "1"}).status, 0);
    ToolRun r = Tool({"query", "HKLM\\SOFTWARE\\Nope"});
    EXPECT_EQ(r.status, 1);
    ExpectOneLineError(r);
    EXPECT_NE(r.err.find("HKEY_LOCAL_MACHINE\\SOFTWARE\\Nope"), std::string::npos);
    r = Tool({"query", "HKLM\\SOFTWARE\\X", "/v", "b"});
    EXPECT_EQ(r.status, 1);
    ExpectOneLineError(r);
    r = Tool({"query", "HKLM\\SOFTWARE\\X", "/v", "b", "/s"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("End of search: 0 match(es) found."), std::string::npos);
    r = Tool({"delete", "HKLM\\SOFTWARE\\X", "/v", "b", "/f"});
    EXPECT_EQ(r.status, 1);
    ExpectOneLineError(r);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {},
             {"frobnicate", "HKLM"},
             {"query"},
             {"query", "HKXX\\SOFTWARE"},
             {"query", "HKLM\\SOFTWARE", "/v"},
             {"query", "HKLM\\SOFTWARE", "/v", "a", "/ve"},
             {"query", "HKLM\\SOFTWARE", "/f"},
             {"add", "HKLM\\S", "/t", "REG_DWORD", "/d", "4294967296"},
             {"add", "HKLM\\S", "/t", "REG_DWORD", "/d", "-1"},
             {"add", "HKLM\\S", "/t", "REG_BINARY", "/d", "abc"},
             {"add", "HKLM\\S", "/t", "REG_LINK", "/d", "x"},
             {"add", "HKLM\\S", "/v", "a", "/v", "b"},
             {"delete", "HKLM", "/f"},
             {"export", "HKLM\\SOFTWARE"},
         }) {
        r = Tool(bad);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(bad);
        ExpectOneLineError(r);
    }
    HKEY h = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "S", 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
}

TEST_F(BrelvoReg, OverwritesOnlyWhenForcedOrConfirmed)
{
    ASSERT_EQ(Tool({"add", "HKLM\\SOFTWARE\\X", "/v", "a", "/d", "old"}).status, 0);
    ToolRun r = Tool({"add", "HKLM\\SOFTWARE\\X", "/v", "a", "/d", "new"}, "");
    EXPECT_EQ(r.status, 1) << "no answer is no";
    ExpectOneLineError(r);
    EXPECT_NE(Tool({"query", "HKLM\\SOFTWARE\\X", "/v", "a"}).out.find("REG_SZ    old"), std::string::npos);
    r = Tool({"add", "HKLM\\SOFTWARE\\X", "/v", "a", "/d", "new"}, "yes\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(Tool({"query", "HKLM\\SOFTWARE\\X", "/v", "a"}).out.find("REG_SZ    new"), std::string::npos);
    EXPECT_EQ(Tool({"delete", "HKLM\\SOFTWARE\\X"}, "n\n").status, 1);
    EXPECT_EQ(Tool({"query", "HKLM\\SOFTWARE\\X"}).status, 0) << "still there";
}

TEST_F(BrelvoReg, DeletesAValueAllValuesAndAKeyWithItsSubtree)
{
    ASSERT_EQ(Tool({"add", "HKLM\\SOFTWARE\\D", "/v", "a", "/d", "1"}).status, 0);
    ASSERT_EQ(Tool({"add", "HKLM\\SOFTWARE\\D", "/v", "b", "/d", "2"}).status, 0);
    ASSERT_EQ(Tool({"add", "HKLM\\SOFTWARE\\D\\Sub", "/v", "c", "/d", "3"}).status, 0);

    EXPECT_EQ(Tool({"delete", "HKLM\\SOFTWARE\\D", "/v", "A", "/f"}).status, 0);
    EXPECT_EQ(Tool({"query", "HKLM\\SOFTWARE\\D", "/v", "a"}).status, 1);
    EXPECT_EQ(Tool({"query", "HKLM\\SOFTWARE\\D", "/v", "b"}).status, 0);
    EXPECT_EQ(Tool({"delete", "HKLM\\SOFTWARE\\D", "/va", "/f"}).status, 0);
    EXPECT_EQ(Tool({"query", "HKLM\\SOFTWARE\\D", "/v", "b"}).status, 1);
    EXPECT_EQ(Tool({"query", "HKLM\\SOFTWARE\\D\\Sub", "/v", "c"}).status, 0) << "/va keeps the sub-keys";
    EXPECT_EQ(Tool({"delete", "HKLM\\SOFTWARE\\D", "/f"}).status, 0);
    EXPECT_EQ(Tool({"query", "HKLM\\SOFTWARE\\D\\Sub"}).status, 1);
    ToolRun r = Tool({"delete", "HKLM\\SOFTWARE\\D", "/f"});
    EXPECT_EQ(r.status, 1);
    ExpectOneLineError(r);
}

TEST_F(BrelvoReg, ExportThenImportIntoAFreshStoreReproducesTheTree)
{
    HKEY h = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brelvo\\Brelvo Software Updater");
    SetText(h, "NewUpdate", "/var/lib/brelvo/updates/\"1\"\\x");
    SetRaw(h, "Bare", REG_SZ, "no terminator");
    SetRaw(h, "Bytes", REG_SZ, std::string("\xff\x00\x01", 3));
    SetRaw(h, "Expand", REG_EXPAND_SZ, std::string("%HOME%/x\0", 9));
    SetRaw(h, "Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
    SetRaw(h, "Big", REG_BINARY, std::string(200, '\x07'));
    SetRaw(h, "Odd", 0x99, std::string("\1\2", 2));
    SetRaw(h, "", REG_SZ, std::string("default\0", 8));
    HKEY n = CreateKey(h, "Notification");
    SetNumber(n, "BSU", 2);
    SetText(n, "BSU_NEXTUPDATE", "45000.5");
    RegCloseKey(CreateKey(h, "Empty Key\\Below"));
    RegCloseKey(n);
    RegCloseKey(h);

    const std::string file = m_dir + "/export.reg";
    ToolRun r = Tool({"export", "hklm\\software\\brelvo", file});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = FileBytes(file);
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brelvo\\Brelvo Software Updater]"), std::string::npos)
        << "keys are written with their stored case";
    EXPECT_NE(text.find("\"BSU\"=dword:00000002"), std::string::npos);
    EXPECT_NE(text.find("\"Expand\"=hex(2):25,00,48,00"), std::string::npos);

    EXPECT_EQ(Tool({"export", "HKLM\\SOFTWARE\\Brelvo", file}).status, 1) << "the file exists, no /y";
    EXPECT_EQ(Tool({"export", "HKLM\\SOFTWARE\\Brelvo", file, "/y"}).status, 0);

    const std::string fresh = m_dir + "/fresh.sqlite";
    r = Tool({"import", file}, "", fresh);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string again = m_dir + "/again.reg";
    ASSERT_EQ(Tool({"export", "HKLM\\SOFTWARE\\Brelvo", again}, "", fresh).status, 0);
    EXPECT_EQ(FileBytes(again), text) << "the imported tree exports the same";
    EXPECT_EQ(Tool({"query", "HKLM\\SOFTWARE\\Brelvo", "/s"}, "", fresh).out,
              Tool({"query", "HKLM\\SOFTWARE\\Brelvo", "/s"}).out);

    // The values themselves, byte for byte.
    SetEnvironmentVariableA("BRELVO_REGISTRY", fresh.c_str());
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brelvo\\Brelvo Software Updater", 0, KEY_READ, &h), 0);
    DWORD type = 0;
    EXPECT_EQ(GetRaw(h, "Bare", &type), "no terminator");
    EXPECT_EQ(GetRaw(h, "Bytes", &type), std::string("\xff\x00\x01", 3));
    EXPECT_EQ(GetRaw(h, "Odd", &type), std::string("\1\2", 2));
    EXPECT_EQ(type, 0x99u);
    EXPECT_EQ(GetRaw(h, "", &type), std::string("default\0", 8));
    RegCloseKey(h);
}

TEST_F(BrelvoReg, ImportAppliesDeletionsAndRefusesABadFileBeforeChangingAnything)
{
    ASSERT_EQ(Tool({"add", "HKCU\\Old\\Sub", "/v", "x", "/d", "1"}).status, 0);
    ASSERT_EQ(Tool({"add", "HKCU\\Keep", "/v", "gone", "/d", "1"}).status, 0);
    const std::string good = m_dir + "/good.reg";
    std::ofstream(good) << "Windows Registry Editor Version 5.00\n\n[-HKEY_CURRENT_USER\\Old]\n\n"
                           "[HKEY_CURRENT_USER\\Keep]\n\"gone\"=-\n\"new\"=dword:0000000a\n";
    ASSERT_EQ(Tool({"import", good}).status, 0);
    EXPECT_EQ(Tool({"query", "HKCU\\Old"}).status, 1);
    EXPECT_EQ(Tool({"query", "HKCU\\Keep", "/v", "gone"}).status, 1);
    EXPECT_NE(Tool({"query", "HKCU\\Keep", "/v", "new"}).out.find("    new    REG_DWORD    0xa\n"), std::string::npos);

    const std::string bad = m_dir + "/bad.reg";
    std::ofstream(bad) << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Made]\n\"a\"=\"1\"\n"
                          "[HKEY_NOWHERE\\x]\n";
    ToolRun r = Tool({"import", bad});
    EXPECT_EQ(r.status, 1);
    ExpectOneLineError(r);
    EXPECT_NE(r.err.find("bad.reg:5:"), std::string::npos) << r.err;
    EXPECT_EQ(Tool({"query", "HKCU\\Made"}).status, 1) << "nothing of the bad file was applied";

    std::ofstream(bad, std::ios::trunc) << "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\M]\n\"a\"=dword:xyz\n";
    r = Tool({"import", bad});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("bad.reg:3: dword:"), std::string::npos) << r.err;
    r = Tool({"import", m_dir + "/missing.reg"});
    EXPECT_EQ(r.status, 1);
    ExpectOneLineError(r);
}

TEST_F(BrelvoReg, AReadOnlyStoreIsQueriedButRefusesChanges)
{
    ASSERT_EQ(Tool({"add", "HKLM\\SOFTWARE\\X", "/v", "a", "/d", "1"}).status, 0);
    const std::string before = FileBytes(m_store);
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", "1");  // the child inherits it
    EXPECT_EQ(Tool({"query", "HKLM\\SOFTWARE\\X", "/v", "a"}).status, 0);
    for (const std::vector<std::string>& change : std::vector<std::vector<std::string>>{
             {"add", "HKLM\\SOFTWARE\\X", "/v", "a", "/d", "2", "/f"},
             {"add", "HKLM\\SOFTWARE\\Y"},
             {"delete", "HKLM\\SOFTWARE\\X", "/f"},
             {"delete", "HKLM\\SOFTWARE\\X", "/va", "/f"},
         }) {
        const ToolRun r = Tool(change);
        EXPECT_EQ(r.status, 1) << ::testing::PrintToString(change);
        ExpectOneLineError(r);
        EXPECT_NE(r.err.find("access denied"), std::string::npos) << r.err;
    }
    EXPECT_EQ(FileBytes(m_store), before);
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    EXPECT_NE(Tool({"query", "HKLM\\SOFTWARE\\X", "/v", "a"}).out.find("REG_SZ    1"), std::string::npos);
}

}  // namespace

TEST_F(BrelvoReg, TheCompanionToolsLeaveTheStoreAsTheyFoundIt)
{
    // The build runs updcfg, and people run the tools to look: neither may
    // create a store, nor the log switches the notifier creates in one.
    const std::vector<std::vector<std::string>> runs = {
        {kTool, "query", "HKLM\\Software"},
        {testsupport::BuildPath("tools/updcfg"), "dump", testsupport::BuildPath("sample-update/Update.cfg")},
        {testsupport::BuildPath("tools/updcfg"), "create", m_dir + "/Update.cfg", "--command", "setup.sh"},
        {testsupport::BuildPath("tools/glm-milestone"), "70"}};
    auto run = [&](const std::vector<std::string>& argv, const std::string& store) {
        platform::ChildProcess child;
        platform::ChildProcess::Options o;
        o.stdoutFile = m_dir + "/stdout";
        o.stderrFile = m_dir + "/stderr";
        o.environment = {{"BRELVO_REGISTRY", store}, {"BRELVO_RUNTIME_DIR", m_dir + "/runtime"}};
        int status = -1;
        EXPECT_EQ(child.Start(argv, o), 0u) << argv[0];
        EXPECT_TRUE(child.Wait(20000, status)) << argv[0];
    };
    const std::string missing = m_dir + "/none/registry.sqlite";
    for (const auto& argv : runs)
        run(argv, missing);
    EXPECT_FALSE(fs::exists(fs::path(missing).parent_path())) << "no store, no folder for one";

    HKEY k = CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Brelvo");
    RegCloseKey(k);
    for (const auto& argv : runs)
        run(argv, m_store);
    HKEY levels = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\AppLogLevels", 0,
                            KEY_READ, &levels),
              ERROR_FILE_NOT_FOUND)
        << "no log switches were stored";
}
