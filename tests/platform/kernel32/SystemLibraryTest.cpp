// A library loaded at first use counts as loaded only when the file opens and
// every function it names is there: a caller that checks Loaded() never calls
// through an entry left empty.
#include "platform/kernel32/SystemLibrary.h"

#include <cstddef>
#include <gtest/gtest.h>

namespace {

using Strlen = std::size_t (*)(const char*);
using Strchr = const char* (*)(const char*, int);

class WithEveryFunction : public platform::SystemLibrary<WithEveryFunction> {
public:
    Strlen strlen = nullptr;
    Strchr strchr = nullptr;

private:
    friend platform::SystemLibrary<WithEveryFunction>;
    WithEveryFunction() { Load("libc.so.6", Entry(strlen, "strlen"), Entry(strchr, "strchr")); }
};

class WithOneFunctionMissing : public platform::SystemLibrary<WithOneFunctionMissing> {
public:
    Strlen strlen = nullptr;
    Strlen missing = nullptr;

private:
    friend platform::SystemLibrary<WithOneFunctionMissing>;
    WithOneFunctionMissing() { Load("libc.so.6", Entry(strlen, "strlen"), Entry(missing, "no_such_function_here")); }
};

class WithoutTheFile : public platform::SystemLibrary<WithoutTheFile> {
public:
    Strlen strlen = nullptr;

private:
    friend platform::SystemLibrary<WithoutTheFile>;
    WithoutTheFile() { Load("libno-such-library.so.7", Entry(strlen, "strlen")); }
};

}  // namespace

TEST(SystemLibrary, LoadedOnlyWithTheFileAndEveryFunction)
{
    const WithEveryFunction& all = WithEveryFunction::Get();
    ASSERT_TRUE(all.Loaded());
    EXPECT_EQ(all.strlen("seven c"), 7u);
    EXPECT_EQ(&WithEveryFunction::Get(), &all) << "one object per library and process";

    EXPECT_FALSE(WithOneFunctionMissing::Get().Loaded());
    EXPECT_FALSE(WithoutTheFile::Get().Loaded());
    EXPECT_EQ(WithoutTheFile::Get().strlen, nullptr);
}
