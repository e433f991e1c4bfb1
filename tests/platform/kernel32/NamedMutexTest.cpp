#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/NamedMutex.h"
#include "platform/kernel32/WinError.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

// Closes a handle at the end of a test, whatever happens.
struct HandleGuard {
    HANDLE h;
    ~HandleGuard()
    {
        if (h != nullptr)
            CloseHandle(h);
    }
};

}  // namespace

TEST(NamedMutex, SecondCreateWhileOwnedAnswersAlreadyExistsAndDoesNotOwn)
{
    SetLastError(12345);
    HandleGuard first{CreateMutexA(nullptr, TRUE, "DAPPLE_NOTIFIER")};
    ASSERT_NE(first.h, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

    HandleGuard second{CreateMutexA(nullptr, TRUE, "DAPPLE_NOTIFIER")};
    EXPECT_NE(second.h, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    // The second handle got no ownership, so it has nothing to release.
    EXPECT_FALSE(ReleaseMutex(second.h));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);

    // Once the owner lets go, a new creation owns it again.
    EXPECT_TRUE(ReleaseMutex(first.h));
    HandleGuard third{CreateMutexA(nullptr, TRUE, "DAPPLE_NOTIFIER")};
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(ReleaseMutex(third.h));
}

TEST(NamedMutex, ClosingTheOwningHandleFreesTheName)
{
    HANDLE h = CreateMutexA(nullptr, TRUE, "closing");
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(CloseHandle(h));
    HandleGuard again{CreateMutexA(nullptr, TRUE, "closing")};
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
}

TEST(NamedMutex, OwnershipBelongsToTheCreatingThread)
{
    HandleGuard m{CreateMutexA(nullptr, TRUE, "threaded")};
    ASSERT_NE(m.h, nullptr);
    BOOL releasedElsewhere = TRUE;
    DWORD errorElsewhere = 0;
    std::thread other([&] {
        releasedElsewhere = ReleaseMutex(m.h);
        errorElsewhere = GetLastError();
    });
    other.join();
    EXPECT_FALSE(releasedElsewhere);
    EXPECT_EQ(errorElsewhere, ERROR_NOT_OWNER);
    EXPECT_TRUE(ReleaseMutex(m.h));
    EXPECT_FALSE(ReleaseMutex(m.h)) << "released once more than owned";
}

TEST(NamedMutex, GlobalAndLocalPrefixesNameTheSameMutex)
{
    HandleGuard plain{CreateMutexA(nullptr, TRUE, "prefixed")};
    ASSERT_EQ(GetLastError(), ERROR_SUCCESS);
    HandleGuard global{CreateMutexA(nullptr, TRUE, "Global\\prefixed")};
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    HandleGuard local{CreateMutexA(nullptr, FALSE, "Local\\prefixed")};
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST(NamedMutex, NamesThatCannotBeFilesAreRefused)
{
    for (const char* bad : {"", "a/b", "..", "x\\y", "Global\\"}) {
        SetLastError(0);
        EXPECT_EQ(CreateMutexA(nullptr, TRUE, bad), nullptr) << bad;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME) << bad;
    }
}

TEST(NamedMutex, UnnamedMutexesAreAlwaysNew)
{
    HandleGuard a{CreateMutexA(nullptr, TRUE, nullptr)};
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HandleGuard b{CreateMutexA(nullptr, TRUE, nullptr)};
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(ReleaseMutex(a.h));
    EXPECT_TRUE(ReleaseMutex(b.h));
}

TEST(NamedMutex, OpenFindsOnlyAnOwnedMutex)
{
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, "opened"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    HandleGuard owner{CreateMutexA(nullptr, TRUE, "opened")};
    HandleGuard opened{OpenMutexA(SYNCHRONIZE, FALSE, "opened")};
    EXPECT_NE(opened.h, nullptr);
    EXPECT_FALSE(ReleaseMutex(opened.h)) << "an opened handle does not own the mutex";
}

TEST(Handles, UnknownHandlesAreInvalid)
{
    int notAHandle = 0;
    EXPECT_FALSE(CloseHandle(&notAHandle));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(ReleaseMutex(nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    HANDLE h = CreateMutexA(nullptr, FALSE, "once");
    ASSERT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h)) << "a handle closes only once";
}
