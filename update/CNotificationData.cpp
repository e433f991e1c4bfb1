#include "update/CNotificationData.h"

#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmLog.h"
#include "CustomCode/Common/cmRegistryKey.h"
#include "platform/crt/NumberText.h"
#include "platform/ole/OleDate.h"

#include <utility>

CNotificationData::CNotificationData(cmString szKeyPath, cmString szStatusName, cmString szDateName)
    : m_szKeyPath(std::move(szKeyPath)), m_szStatusName(std::move(szStatusName)), m_szDateName(std::move(szDateName))
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CNotificationData::CNotificationData");
}

CNotificationData::~CNotificationData() = default;

cmString CNotificationData::DateToText(double date)
{
    char text[32];
    return cmString(_gcvt(date, 9, text));
}

double CNotificationData::TextToDate(const cmString& text) { return platform::StrToDouble(text.GetText()); }

double CNotificationData::Now()
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    double now = 0.0;
    if (!SystemTimeToVariantTime(&st, &now)) {
        cmLogPrint("%s", "INVALID STATE: Evaluation of 'hr' failed.  Returning E_UNEXPECTED.");
        now = static_cast<double>(E_UNEXPECTED);
    }
    return now;
}

HRESULT CNotificationData::GetActionStatus(int& status, double& nextDate)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CNotificationData::GetActionStatus");
    cmRegistryKey key(HKEY_LOCAL_MACHINE, m_szKeyPath, cmRegistryCreate::CreateMissing);
    status = static_cast<int>(key.QueryDword(m_szStatusName));
    nextDate = TextToDate(key.QueryString(m_szDateName));
    key.Close();
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

HRESULT CNotificationData::SetActionStatus(int status, double nextDate)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CNotificationData::SetActionStatus");
    HRESULT hr = [&]() -> HRESULT {
        cmRegistryKey key(HKEY_LOCAL_MACHINE, m_szKeyPath, cmRegistryCreate::CreateMissing);
        key.UpgradeSam(GENERIC_ALL);
        LONG lResult = key.SetDword(m_szStatusName, static_cast<DWORD>(status));
        CM_CHECK_STATE(lResult==0);
        lResult = key.SetString(m_szDateName, DateToText(nextDate));
        CM_CHECK_STATE(lResult==0);
        return S_OK;
    }();
    CM_TRACE_RETURN(hr);
}

BOOL CNotificationData::UpdateIsNeeded()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CNotificationData::UpdateIsNeeded");
    int status = kStatusMissing;
    double nextDate = 0.0;
    GetActionStatus(status, nextDate);
    if (status == kStatusMissing) {
        SetActionStatus(kStatusAskWhenDue, 0.0);
        status = kStatusAskWhenDue;
    }
    if ((status == kStatusAskWhenDue || status == kStatusRemindLater) && Now() > nextDate)
        CM_TRACE_RETURN(TRUE);
    CM_TRACE_RETURN(FALSE);
}
