// The database's record in the cross-module block, seen from a real second
// module (second_module.so, loaded here with its own copy of the code).
#include "objdb/pjCrossModule.h"
#include "objdb/pjObjectDatabase.h"
#include "platform/kernel32/SharedModule.h"
#include "tests/objdb/programs/SecondModule.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

namespace {

// The block of this test, not the one this process's database may already
// have published: the name differs only in its prefix.
constexpr const char* kPrefix = "pjCrossModuleTest";

}  // namespace

TEST(CrossModuleRecord, ASecondModuleFindsTheFirstModulesRecordAndDatabase)
{
    int standIn = 0;  // the first module's database, as far as the record goes
    auto* pDatabase = reinterpret_cast<pjObjectDatabase*>(&standIn);
    pjCrossModuleHolder first(pDatabase, kPrefix);
    ASSERT_NE(first.Get(), nullptr);
    ASSERT_TRUE(first.WasCreated());
    const pjiCrossModule made = *first.Get();
    EXPECT_EQ(made.dwConstant1, 1u);
    EXPECT_EQ(made.dwConstant2, 1u);
    EXPECT_NE(made.hMutex, nullptr);
    EXPECT_EQ(made.pDatabase, pDatabase);
    EXPECT_EQ(made.dwUseCount, 1u);

    platform::SharedModule second;
    ASSERT_TRUE(second.Open(testsupport::BuildPath("tests/objdb/second_module.so"))) << second.Error();
    auto open = reinterpret_cast<OpenAsSecondModuleProc>(second.Symbol(kOpenAsSecondModule));
    ASSERT_NE(open, nullptr);
    const SecondModuleView view = open(kPrefix);

    EXPECT_NE(view.pPublishCode, reinterpret_cast<const void*>(&pjPublishObjectDatabase))
        << "the second module runs a copy of its own";
    ASSERT_NE(view.pRecord, nullptr);
    EXPECT_NE(view.pRecord, first.Get()) << "a view of its own";
    EXPECT_FALSE(view.bCreated);
    EXPECT_EQ(view.record.pDatabase, pDatabase) << "the first module's database";
    EXPECT_EQ(view.record.hMutex, made.hMutex) << "not initialised again";
    EXPECT_EQ(view.record.dwConstant1, 1u);
    EXPECT_EQ(view.record.dwConstant2, 1u);
    EXPECT_EQ(view.record.dwUseCount, 2u);
    EXPECT_EQ(first.Get()->dwUseCount, 2u) << "both modules count";
}

TEST(CrossModuleRecord, TheDatabasePublishesItselfWhenItIsMade)
{
    pjObjectDatabase* pDatabase = GetObjectDatabase();
    pjCrossModuleHolder another(nullptr);  // as another module opens the block
    ASSERT_NE(another.Get(), nullptr);
    EXPECT_FALSE(another.WasCreated());
    EXPECT_EQ(another.Get()->pDatabase, pDatabase);
}
