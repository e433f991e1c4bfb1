#include "update/CBSUWizard.h"

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "objdb/pjObjectFactoryList.h"
#include "update/BSUDialogHost.h"
#include "update/BSURegistryLayout.h"
#include "update/CNotificationData.h"

PJ_FACTORY_LIST(CBSUWizard, COccasionalTask, "CBSUWizard");

HRESULT CBSUWizard::DoYouNeedToRun(int& needToRun)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CBSUWizard::DoYouNeedToRun");
    CNotificationData data(szBSUNotificationKey, szBSUStatusValue, szBSUNextUpdateValue);
    needToRun = data.UpdateIsNeeded() ? 1 : 0;
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

HRESULT CBSUWizard::PerformAction()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CBSUWizard::PerformAction");
    CM_TRACE_RETURN(ShowDialog());
}

int CBSUWizard::ShowDialog()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CBSUWizard::ShowDialog");
    int nRet = RunBSUDialog();
    CM_TRACE_RETURN(nRet);
}
