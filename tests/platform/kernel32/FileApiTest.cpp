// Files through CreateFileA / ReadFile / WriteFile / SetFilePointer /
// GetFileSize: the outcomes and last errors callers test for.
#include "platform/kernel32/FileApi.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"
#include "platform/linux/TempDirectory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

class FileApiTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return m_dir.Path() + "/" + name; }

    void WriteText(const std::string& name, const std::string& text) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << text;
    }

    platform::ScopedTempDirectory m_dir{"fileapi"};
};

HANDLE Open(const std::string& path, DWORD access, DWORD disposition)
{
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TEST_F(FileApiTest, WriteThenReadBack)
{
    HANDLE h = Open(PathOf("a.bin"), GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(ERROR_SUCCESS, GetLastError());  // the file did not exist
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "hello", 5, &written, nullptr));
    EXPECT_EQ(5u, written);
    ASSERT_TRUE(CloseHandle(h));

    h = Open(PathOf("a.bin"), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD high = 7;
    EXPECT_EQ(5u, GetFileSize(h, &high));
    EXPECT_EQ(0u, high);
    char buf[16] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read, nullptr));
    EXPECT_EQ(5u, read);
    EXPECT_EQ("hello", std::string(buf, read));
    // At the end a read succeeds with nothing.
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &read, nullptr));
    EXPECT_EQ(0u, read);
    ASSERT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
}

TEST_F(FileApiTest, CreationDispositions)
{
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(PathOf("missing"), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(PathOf("nofolder/x"), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, GetLastError());

    WriteText("old", "0123456789");
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(PathOf("old"), GENERIC_WRITE, CREATE_NEW));
    EXPECT_EQ(ERROR_FILE_EXISTS, GetLastError());

    HANDLE h = Open(PathOf("old"), GENERIC_WRITE, OPEN_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
    EXPECT_EQ(10u, GetFileSize(h, nullptr));  // kept
    CloseHandle(h);

    h = Open(PathOf("old"), GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
    EXPECT_EQ(0u, GetFileSize(h, nullptr));  // truncated
    CloseHandle(h);

    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(PathOf("old"), GENERIC_READ, 99));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
}

TEST_F(FileApiTest, FoldersCannotBeOpened)
{
    std::filesystem::create_directory(PathOf("sub"));
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(PathOf("sub"), GENERIC_READ, OPEN_EXISTING));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open(PathOf("sub"), GENERIC_WRITE, OPEN_EXISTING));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
}

TEST_F(FileApiTest, AccessIsCheckedPerHandle)
{
    WriteText("f", "abc");
    HANDLE r = Open(PathOf("f"), GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, r);
    DWORD n = 9;
    EXPECT_FALSE(WriteFile(r, "x", 1, &n, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(0u, n);
    CloseHandle(r);

    HANDLE w = Open(PathOf("f"), GENERIC_WRITE, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, w);
    char c;
    EXPECT_FALSE(ReadFile(w, &c, 1, &n, nullptr));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    CloseHandle(w);

    EXPECT_FALSE(ReadFile(w, &c, 1, &n, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(w, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
}

TEST_F(FileApiTest, FilePointerMoves)
{
    WriteText("p", "0123456789");
    HANDLE h = Open(PathOf("p"), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(4u, SetFilePointer(h, 4, nullptr, FILE_BEGIN));
    char buf[3] = {};
    DWORD n = 0;
    ASSERT_TRUE(ReadFile(h, buf, 3, &n, nullptr));
    EXPECT_EQ("456", std::string(buf, n));
    EXPECT_EQ(7u, SetFilePointer(h, 0, nullptr, FILE_CURRENT));
    EXPECT_EQ(8u, SetFilePointer(h, -2, nullptr, FILE_END));
    EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(h, -20, nullptr, FILE_CURRENT));
    EXPECT_EQ(ERROR_NEGATIVE_SEEK, GetLastError());
    EXPECT_EQ(8u, SetFilePointer(h, 0, nullptr, FILE_CURRENT));  // not moved by the failure

    // With the high half a position past 4 GiB can be named (and is not written).
    LONG high = 1;
    EXPECT_EQ(0u, SetFilePointer(h, 0, &high, FILE_BEGIN));
    EXPECT_EQ(1, high);
    EXPECT_EQ(ERROR_SUCCESS, GetLastError());
    CloseHandle(h);
}
