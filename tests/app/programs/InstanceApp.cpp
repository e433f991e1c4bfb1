// A notifier built with one recording task kind, for the single-instance
// tests. The task is always due; its action appends this process's id to
// $NOTIFIER_TEST_LOG and, when $NOTIFIER_TEST_HOLD names a file, keeps
// running (holding the mutex) until that file exists.
#include "app/CNotifierApp.h"
#include "objdb/pjObjectFactoryList.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/ProcessIds.h"
#include "update/COccasionalTask.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

class CRecordingTask : public COccasionalTask {
public:
    HRESULT DoYouNeedToRun(int& needToRun) override
    {
        needToRun = 1;
        return S_OK;
    }
    HRESULT PerformAction() override
    {
        {
            std::ofstream log(platform::GetEnv("NOTIFIER_TEST_LOG"), std::ios::app);
            log << GetCurrentProcessId() << "\n";
        }
        const std::string hold = platform::GetEnv("NOTIFIER_TEST_HOLD");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!hold.empty() && !std::filesystem::exists(hold) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return S_OK;
    }
    int GetPriority() override { return 50; }
};

}  // namespace

PJ_FACTORY_LIST(CRecordingTask, COccasionalTask, "CRecordingTask");

CNotifierApp theApp;

int main() { return AfxWinMain(); }
