// CNotificationData: what the user last decided about a notification (a
// status number) and when to ask again (an OLE Automation date in local time),
// kept as two values under a key of HKEY_LOCAL_MACHINE that the caller names.
// The update task asks it whether it is due; the dialog writes the user's choice.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/WinError.h"

class CNotificationData {
public:
    // Statuses: 0 ask when the date has passed; 2 remind later, ask when the
    // date has passed; anything else never ask; -1 a missing or mistyped value.
    static constexpr int kStatusAskWhenDue = 0;
    static constexpr int kStatusRemindLater = 2;
    static constexpr int kStatusMissing = -1;

    CNotificationData(cmString szKeyPath, cmString szStatusName, cmString szDateName);
    virtual ~CNotificationData();

    // Reads both values; the key is made when missing. Always S_OK: a missing
    // or mistyped status reads as -1, a missing date as 0.0.
    HRESULT GetActionStatus(int& status, double& nextDate);
    // Writes both; E_UNEXPECTED when the store refuses a write (then the date
    // is not written after a refused status).
    HRESULT SetActionStatus(int status, double nextDate);
    // Whether the notification is due now; a missing status is reset to 0
    // with the zero date first (the date read before the reset still decides).
    BOOL UpdateIsNeeded();

    // The stored text of a date: 9 significant digits, as the values written
    // by earlier runs and other components have it ("39448.5", "0.").
    static cmString DateToText(double date);
    // strtod rules: the leading number counts, no number reads as 0.0.
    static double TextToDate(const cmString& text);
    // The local time now as an OLE Automation date; when the clock cannot be
    // converted, logs the state check and gives E_UNEXPECTED's numeric value,
    // which lies before every stored date.
    static double Now();

private:
    cmString m_szKeyPath;
    cmString m_szStatusName;
    cmString m_szDateName;
};
