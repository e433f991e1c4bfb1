// Named file mappings on POSIX shared memory: sharing by name, privacy to
// this user, leftovers of ended processes, and fork children that must not
// write into their parent's blocks.
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/SharedMemory.h"
#include "platform/kernel32/WinError.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string UniqueName(const char* what)
{
    static int n = 0;
    return std::string("sm-test-") + what + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n);
}

// The file behind a mapping name, found by its ending (the prefix holds the user id).
fs::path ObjectFile(const std::string& name)
{
    for (const auto& e : fs::directory_iterator("/dev/shm")) {
        const std::string f = e.path().filename().string();
        if (f.rfind("brelvo-", 0) == 0 && f.size() > name.size() &&
            f.compare(f.size() - name.size() - 1, name.size() + 1, "-" + name) == 0)
            return e.path();
    }
    return fs::path();
}

// "/dev/shm/brelvo-<uid>-" as this process names its objects.
std::string ObjectPrefix()
{
    const std::string probe = UniqueName("probe");
    HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 16, probe.c_str());
    const std::string path = ObjectFile(probe).string();
    CloseHandle(h);
    return path.substr(0, path.size() - probe.size());
}

struct Mapping {
    HANDLE h = nullptr;
    char* p = nullptr;
    ~Mapping()
    {
        if (p != nullptr)
            UnmapViewOfFile(p);
        if (h != nullptr)
            CloseHandle(h);
    }
};

void CreateAndMap(Mapping& m, const std::string& name, DWORD size = 64)
{
    m.h = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
    ASSERT_NE(m.h, nullptr) << GetLastError();
    m.p = static_cast<char*>(MapViewOfFile(m.h, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(m.p, nullptr) << GetLastError();
}

}  // namespace

TEST(SharedMemory, ANameGivesEveryOpenerTheSameBytes)
{
    const std::string name = UniqueName("share");
    Mapping a;
    CreateAndMap(a, name);
    EXPECT_EQ(a.p[0], 0) << "a new block is zeroed";
    std::strcpy(a.p, "hello");

    Mapping b;
    b.h = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name.c_str());
    ASSERT_NE(b.h, nullptr);
    b.p = static_cast<char*>(MapViewOfFile(b.h, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(b.p, nullptr);
    EXPECT_STREQ(b.p, "hello");
    b.p[0] = 'J';
    EXPECT_EQ(a.p[0], 'J');

    Mapping c;
    c.h = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, name.c_str());
    ASSERT_NE(c.h, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST(SharedMemory, MissingNamesAndBadArgumentsFail)
{
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_WRITE, FALSE, UniqueName("absent").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0, UniqueName("empty").c_str()),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, std::string(300, 'x').c_str()),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);

    Mapping m;
    CreateAndMap(m, UniqueName("bounds"), 64);
    EXPECT_EQ(MapViewOfFile(m.h, FILE_MAP_WRITE, 0, 0, 65), nullptr) << "a view beyond the block";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    int local = 0;
    EXPECT_FALSE(UnmapViewOfFile(&local));
}

TEST(SharedMemory, BlocksAreForThisUserOnly)
{
    const std::string name = UniqueName("private");
    Mapping m;
    CreateAndMap(m, name);
    const fs::path file = ObjectFile(name);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST(SharedMemory, AnObjectOthersMayTouchIsNeverUsed)
{
    const std::string name = UniqueName("planted");
    const std::string path = ObjectPrefix() + name;
    {
        std::ofstream(path) << std::string(64, 'P');
    }
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read |
                              fs::perms::others_write);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_WRITE, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    fs::remove(path);
}

TEST(SharedMemory, ALeftoverOfAnEndedProcessCountsAsMissing)
{
    // Right owner and mode, but nobody holds it: what a crashed process leaves.
    const std::string name = UniqueName("leftover");
    const std::string path = ObjectPrefix() + name;
    {
        std::ofstream(path) << std::string(64, 'L');
    }
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_WRITE, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(fs::exists(path));

    std::ofstream(path) << std::string(64, 'L');
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    Mapping m;
    CreateAndMap(m, name);
    EXPECT_EQ(m.p[0], 0) << "made anew, not the leftover's bytes";
}

TEST(SharedMemory, AViewKeepsTheBlockAliveAfterItsHandleCloses)
{
    const std::string name = UniqueName("view");
    HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, name.c_str());
    ASSERT_NE(h, nullptr);
    char* p = static_cast<char*>(MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(p, nullptr);
    CloseHandle(h);
    p[0] = 'V';

    Mapping again;
    again.h = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_NE(again.h, nullptr);
    again.p = static_cast<char*>(MapViewOfFile(again.h, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(again.p, nullptr);
    EXPECT_EQ(again.p[0], 'V');
    EXPECT_EQ(MapViewOfFile(again.h, FILE_MAP_WRITE, 0, 0, 0), nullptr) << "read-only handle";
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    UnmapViewOfFile(p);
}

TEST(SharedMemory, AForkChildWritesIntoItsOwnCopy)
{
    GTEST_FLAG_SET(death_test_style, "fast");  // a plain fork, no new program
    const std::string name = UniqueName("fork");
    Mapping m;
    CreateAndMap(m, name);
    m.p[0] = 'A';
    EXPECT_EXIT(
        {
            m.p[0] = 'X';
            std::_Exit(m.p[0] == 'X' ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(m.p[0], 'A');
}

TEST(SharedMemory, NamesGoWithTheProcessThatMadeThem)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    const std::string mine = UniqueName("mine");
    Mapping kept;
    CreateAndMap(kept, mine);
    const std::string childs = UniqueName("childs");
    EXPECT_EXIT(
        {
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, childs.c_str());
            std::exit(ObjectFile(childs).empty() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(ObjectFile(childs).empty()) << "removed when the child exited";
    EXPECT_FALSE(ObjectFile(mine).empty()) << "the parent's own name stays";
}
