#include "app/CArbiter.h"

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "objdb/pjFactoryHelper.h"
#include "objdb/pjObjectDatabase.h"
#include "objdb/pjTypeKey.h"

HRESULT CArbiter::FindAndProcessTask()
{
    CM_TRACE_FUNCTION(0x100, "CArbiter::FindAndProcessTask");
    CTaskSet tasks;
    CreateOneTaskOfEachKind(tasks);

    // Every task is asked, and every one that answers exactly 1 acts; a task
    // is asked only after the one before it has finished, so its answer may
    // depend on what that one did.
    for (COccasionalTask* pTask : tasks) {
        int needToRun = 0;
        pTask->DoYouNeedToRun(needToRun);
        if (needToRun == 1)
            pTask->PerformAction();
    }

    for (COccasionalTask* pTask : tasks)
        delete pTask;
    tasks.clear();
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

HRESULT CArbiter::CreateOneTaskOfEachKind(CTaskSet& tasks)
{
    CM_TRACE_FUNCTION(0x100, "CArbiter::CreateOneTaskOfEachKind");
    pjObjectDatabase* pDb = GetObjectDatabase();
    const cmString key = pjTypeKey<COccasionalTask>();

    for (pjFactoryPosition it = pDb->FactoriesBegin(key); it != pDb->FactoriesEnd(key); ++it) {
        auto* pTask = static_cast<COccasionalTask*>((*it)->CreateObject());
        if (pTask == nullptr)
            continue;
        if (!tasks.insert(pTask).second)
            delete pTask;  // same priority as a task already there: never asked
    }
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}
