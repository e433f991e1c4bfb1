// Each scenario runs in a child process of its own (a death test that
// re-runs this program), so the task kinds it registers meet no other
// scenario's. The child prints what the tasks saw; the parent matches it.
#include "app/CArbiter.h"
#include "objdb/pjFactoryHelper.h"
#include "objdb/pjObjectDatabase.h"
#include "objdb/pjObjectFactoryList.h"
#include "objdb/pjTypeKey.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string g_events;

void Event(const std::string& e)
{
    if (!g_events.empty())
        g_events += ' ';
    g_events += e;
}

// How a scripted task kind behaves in the current scenario.
struct Script {
    int priority = 0;
    int answer = 1;               // written to needToRun
    HRESULT askResult = S_OK;     // returned by DoYouNeedToRun
    bool answerOnlyAfter = false; // answer only once another task has acted
};

bool g_someoneActed = false;

template <char Name>
class CScriptedTask : public COccasionalTask {
public:
    static Script script;
    CScriptedTask() { Event(std::string(1, Name) + "-new"); }
    ~CScriptedTask() override { Event(std::string(1, Name) + "-del"); }
    HRESULT DoYouNeedToRun(int& needToRun) override
    {
        Event(std::string(1, Name) + "-ask");
        if (!script.answerOnlyAfter || g_someoneActed)
            needToRun = script.answer;
        return script.askResult;
    }
    HRESULT PerformAction() override
    {
        Event(std::string(1, Name) + "-act");
        g_someoneActed = true;
        return E_FAIL;  // the arbiter does not look at it
    }
    int GetPriority() override { return script.priority; }
};
template <char Name>
Script CScriptedTask<Name>::script;

using TaskA = CScriptedTask<'A'>;
using TaskB = CScriptedTask<'B'>;
using TaskC = CScriptedTask<'C'>;

template <class T>
void Register()
{
    // Lives until the process ends, like the program's static factory lists.
    new pjObjectFactoryList<T, COccasionalTask>();
}

// A factory whose allocation fails.
class NullFactory : public pjFactoryHelper {
public:
    void* CreateObject() override
    {
        Event("null-factory");
        return nullptr;
    }
};

[[noreturn]] void RunArbiterAndReport()
{
    CArbiter arbiter;
    const HRESULT hr = arbiter.FindAndProcessTask();
    std::fprintf(stderr, "hr=%d events=[%s]\n", static_cast<int>(hr), g_events.c_str());
    std::exit(0);
}

class ArbiterTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

}  // namespace

template <>
cmString pjObjectFactoryList<TaskA, COccasionalTask>::GetFactoryName() { return cmString("TaskA"); }
template <>
cmString pjObjectFactoryList<TaskB, COccasionalTask>::GetFactoryName() { return cmString("TaskB"); }
template <>
cmString pjObjectFactoryList<TaskC, COccasionalTask>::GetFactoryName() { return cmString("TaskC"); }

TEST_F(ArbiterTest, LowerPriorityRunsFirstWhateverTheRegistrationOrder)
{
    auto scenario = [] {
        TaskA::script.priority = 80;
        TaskB::script.priority = 10;
        Register<TaskA>();
        Register<TaskB>();
        RunArbiterAndReport();
    };
    EXPECT_EXIT(scenario(), ::testing::ExitedWithCode(0),
                "hr=0 events=\\[A-new B-new B-ask B-act A-ask A-act (A-del B-del|B-del A-del)\\]");
}

TEST_F(ArbiterTest, OfTwoEqualPrioritiesOnlyTheFirstRegisteredIsAsked)
{
    auto scenario = [] {
        TaskA::script.priority = 50;
        TaskB::script.priority = 50;
        Register<TaskA>();
        Register<TaskB>();
        RunArbiterAndReport();
    };
    EXPECT_EXIT(scenario(), ::testing::ExitedWithCode(0),
                "hr=0 events=\\[A-new B-new B-del A-ask A-act A-del\\]");
}

TEST_F(ArbiterTest, OnlyAnAnswerOfExactlyOneRuns)
{
    auto scenario = [] {
        TaskA::script = {1, 2, S_OK, false};
        TaskB::script = {2, 0, S_OK, false};
        TaskC::script = {3, 1, S_OK, false};
        Register<TaskC>();
        Register<TaskB>();
        Register<TaskA>();
        RunArbiterAndReport();
    };
    EXPECT_EXIT(scenario(), ::testing::ExitedWithCode(0),
                "events=\\[C-new B-new A-new A-ask B-ask C-ask C-act");
}

TEST_F(ArbiterTest, TheSecondTaskIsAskedOnlyAfterTheFirstActed)
{
    auto scenario = [] {
        TaskA::script = {5, 1, S_OK, false};
        TaskB::script = {6, 1, S_OK, true};  // due only once A has acted
        Register<TaskB>();
        Register<TaskA>();
        RunArbiterAndReport();
    };
    EXPECT_EXIT(scenario(), ::testing::ExitedWithCode(0),
                "events=\\[B-new A-new A-ask A-act B-ask B-act");
}

TEST_F(ArbiterTest, FailuresOfTasksDoNotStopTheRun)
{
    auto scenario = [] {
        // A fails its question but still says 1, and fails its action.
        TaskA::script = {1, 1, E_FAIL, false};
        TaskB::script = {2, 1, S_OK, false};
        Register<TaskA>();
        Register<TaskB>();
        RunArbiterAndReport();
    };
    EXPECT_EXIT(scenario(), ::testing::ExitedWithCode(0),
                "hr=0 events=\\[A-new B-new A-ask A-act B-ask B-act");
}

TEST_F(ArbiterTest, NullTasksAreSkippedAndNoFactoryIsNoError)
{
    auto scenario = [] {
        pjObjectDatabase* db = GetObjectDatabase();
        if (db->PeekFactories(pjTypeKey<COccasionalTask>()) != nullptr)
            std::exit(3);
        static NullFactory broken;
        TaskA::script.priority = 1;
        pjFactoryHelper::RegisterFactory(pjTypeKey<COccasionalTask>(), &broken);
        Register<TaskA>();
        RunArbiterAndReport();
    };
    EXPECT_EXIT(scenario(), ::testing::ExitedWithCode(0),
                "hr=0 events=\\[null-factory A-new A-ask A-act A-del\\]");

    EXPECT_EXIT(RunArbiterAndReport(), ::testing::ExitedWithCode(0), "hr=0 events=\\[\\]");
}
