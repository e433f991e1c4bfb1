#include "ui/CBSUDlg.h"

#include "CustomCode/Common/cmComError.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmWindow.h"
#include "platform/kernel32/FileFind.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/PathApi.h"
#include "platform/kernel32/Process.h"
#include "platform/shell/ShellApi.h"
#include "platform/shell/ShellPath.h"
#include "platform/user32/Icon.h"
#include "ui/BSUDialogLayout.h"
#include "ui/BSU_DeleteUpgrade.h"
#include "ui/CBSU_MoreDetails.h"
#include "ui/CDialogMeasureDC.h"
#include "ui/CNotifierStrings.h"
#include "ui/NotifierResourceIds.h"
#include "update/BSUDialogHost.h"
#include "update/BSURegistryLayout.h"
#include "update/CNotificationData.h"

namespace {

// The update dialog's choices are written through this object.
CNotificationData NotificationData()
{
    return CNotificationData(szBSUNotificationKey, szBSUStatusValue, szBSUNextUpdateValue);
}

constexpr int kActionResult = 5;
constexpr double kRemindLaterDays = 7.0;

}  // namespace

CBSUDlg::CBSUDlg() : CDappleDialog(IDD_BSU_DIALOG)
{
    m_hIcon = LoadIconA(cmGetOwnModule(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CBSUDlg::~CBSUDlg()
{
    m_Picture.Release();
}

BOOL CBSUDlg::OnInitDialog()
{
    CDappleDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    // Without an update the dialog ends here, before it is ever shown; the
    // initialisation still runs to its end.
    if (m_MetaData.PopulateMe() != S_OK)
        EndDialog(E_FAIL);
    LoadResources();
    return TRUE;
}

HRESULT CBSUDlg::LoadResources()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CBSUDlg::LoadResources");
    const CNotifierStrings strings;
    SetDlgItemText(IDC_BSU_UPDATE_AVAILABLE, strings.Load(IDS_BSU_UPDATE_AVAILABLE).GetText());
    SetDlgItemText(IDC_BSU_INSTALL_NOW_TEXT, strings.Load(IDS_BSU_INSTALL_NOW_TEXT).GetText());
    SetDlgItemText(IDC_BSU_INSTALL_LATER_TEXT, strings.Load(IDS_BSU_INSTALL_LATER_TEXT).GetText());
    SetDlgItemText(IDC_BSU_IGNORE_TEXT, strings.Load(IDS_BSU_IGNORE_TEXT).GetText());
    SetDlgItemText(IDC_BSU_MOREDETAILS_BTN, strings.Load(IDS_BSU_MORE_DETAILS).GetText());
    SetDlgItemText(IDC_BSU_UPDATENOW, strings.Load(IDS_BSU_UPDATE).GetText());
    SetDlgItemText(IDC_BSU_REMINDMELATER, strings.Load(IDS_BSU_REMIND_ME_LATER).GetText());
    SetDlgItemText(IDC_BSU_STOPBUGGINGME, strings.Load(IDS_BSU_DO_NOT_UPDATE).GetText());
    SetWindowText(strings.Load(IDS_BSU_CAPTION).GetText());

    CM_TRACE_INFO("Loading BSUdlg graphic file %s \n", m_MetaData.szPathToJPG.GetText());
    // A picture that cannot be read is simply not there; the template layout stays.
    m_Picture.Load(m_MetaData.szPathToJPG.GetText());

    CDialogMeasureDC dc(*this);
    int cx = 0;
    int cy = 0;
    const CDialogControl* remind = GetDlgItem(IDC_BSU_REMINDMELATER);
    const CDialogControl* doNotUpdate = GetDlgItem(IDC_BSU_STOPBUGGINGME);
    if (PictureSize(&dc, cx, cy) && remind != nullptr && doNotUpdate != nullptr) {
        const BSUDialogLayout l = ComputeBSUDialogLayout(cx, cy, remind->rect.cy, doNotUpdate->rect.cx);
        SetWindowPos(0, 0, l.windowWidth, l.windowHeight);
        MoveDlgItem(IDC_BSU_UPDATENOW, l.updateNowX, l.buttonY);
        MoveDlgItem(IDC_BSU_STOPBUGGINGME, l.doNotUpdateX, l.buttonY);
        MoveDlgItem(IDC_BSU_REMINDMELATER, l.remindLaterX, l.buttonY);
        CenterWindow();
    }
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

bool CBSUDlg::PictureSize(HDC hdc, int& cx, int& cy)
{
    return m_Picture.IsLoaded() && SUCCEEDED(m_Picture.GetWidthInPixels(hdc, cx)) &&
           SUCCEEDED(m_Picture.GetHeightInPixels(hdc, cy));
}

void CBSUDlg::OnPaint(HDC hdc)
{
    const CDialogRect client = GetClientRect();
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    if (m_hIcon != nullptr)
        DrawIcon(hdc, (client.cx - cxIcon + 1) / 2, (client.cy - cyIcon + 1) / 2, m_hIcon);
    int cx = 0;
    int cy = 0;
    if (PictureSize(hdc, cx, cy))
        m_Picture.Draw(hdc, 12, 10, cx, cy);
}

bool CBSUDlg::OnCommand(UINT id)
{
    switch (static_cast<int>(id)) {
    case IDC_BSU_UPDATENOW:
        OnUpdateNow();
        return true;
    case IDC_BSU_REMINDMELATER:
        OnRemindMeLater();
        return true;
    case IDC_BSU_STOPBUGGINGME:
        OnStopBuggingMe();
        return true;
    case IDC_BSU_MOREDETAILS_BTN:
        OnBsuMoredetailsBtn();
        return true;
    default:
        return CDappleDialog::OnCommand(id);
    }
}

void CBSUDlg::OnSysCommand(UINT, LPARAM) {}

void CBSUDlg::OnUpdateNow()
{
    // The window goes at once; the installer is followed while the thread's
    // messages keep flowing, and the next run looks for a new update.
    EndDialog(kActionResult);
    m_MetaData.InvokeUpdate(nullptr);
    NotificationData().SetActionStatus(CNotificationData::kStatusAskWhenDue, 0.0);
}

void CBSUDlg::OnRemindMeLater()
{
    NotificationData().SetActionStatus(CNotificationData::kStatusRemindLater,
                                       CNotificationData::Now() + kRemindLaterDays);
    EndDialog(kActionResult);
}

void CBSUDlg::OnStopBuggingMe()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CBSUDlg::OnStopBuggingMe");
    BSU_DeleteUpgrade confirm;
    const int answer = confirm.DoModal();
    if (answer == IDOK) {
        CM_TRACE_WARNING("User Elected to remove the update \n");
        EndDialog(kActionResult);
        m_MetaData.ProcessIgnoreUpdate();
        NotificationData().SetActionStatus(CNotificationData::kStatusAskWhenDue, 0.0);
    } else if (answer == IDCANCEL) {
        GotoDlgCtrl(IDC_BSU_UPDATENOW);
        CM_TRACE_WARNING("User cancelled the DeleteUpgrade dialog \n");
        ShowWindow(SW_SHOWNORMAL);
    }
}

namespace {

// Joins two path parts with exactly one separator between them.
std::string PathAppend(std::string base, const std::string& more)
{
    if (more.empty())
        return base;
    while (!base.empty() && (base.back() == '/' || base.back() == '\\'))
        base.pop_back();
    std::size_t start = 0;
    while (start < more.size() && (more[start] == '/' || more[start] == '\\'))
        ++start;
    return base + "/" + more.substr(start);
}

// A path as one word of a command line: quoted when it holds a blank.
std::string CommandWord(const std::string& path)
{
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

std::string ShortPath(const std::string& path)
{
    char buf[MAX_PATH];
    const DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : path;
}

}  // namespace

void CBSUDlg::OnBsuMoredetailsBtn()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CBSUDlg::OnBsuMoredetailsBtn");
    try {
        const std::string folder = m_MetaData.szPathToUpdate.GetText();
        const std::string details = m_MetaData.szHTMLDescriptionPath.GetText();
        bool started = false;
        if (!details.empty()) {
            // The page's folder is the first element of the relative path, its
            // name the last; either separator counts.
            const std::size_t firstSep = details.find_first_of("\\/");
            const std::size_t lastSep = details.find_last_of("\\/");
            const std::string first = firstSep == std::string::npos ? std::string() : details.substr(0, firstSep);
            const std::string name = lastSep == std::string::npos ? details : details.substr(lastSep + 1);
            const std::string dir = PathAppend(folder, first);
            const std::string file = PathAppend(dir, name);
            if (PathFileExistsA(file.c_str())) {
                char program[MAX_PATH] = "";
                const auto found = reinterpret_cast<std::uintptr_t>(FindExecutableA(name.c_str(), dir.c_str(), program));
                if (found > 32) {
                    // Paths with blanks are quoted: without short names they
                    // would fall apart into several words.
                    std::string command = CommandWord(ShortPath(program)) + " " + CommandWord(ShortPath(file));
                    STARTUPINFOA si{};
                    si.cb = sizeof si;
                    PROCESS_INFORMATION pi{};
                    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP,
                                       nullptr, dir.c_str(), &si, &pi)) {
                        CloseHandle(pi.hProcess);
                        CloseHandle(pi.hThread);
                        started = true;
                    }
                }
            } else {
                CM_TRACE_WARNING("details page %s not found \n", file.c_str());
            }
        }
        if (!started) {
            CBSU_MoreDetails moreDetails;
            moreDetails.SetDescription(m_MetaData.bufDescription);
            ShowWindow(SW_HIDE);
            moreDetails.DoModal();
            ShowWindow(SW_SHOWNORMAL);
        }
    } catch (const _com_error& e) {
        CM_TRACE_COM_ERROR(e);
    }
}

namespace {

int RunUpdateDialog()
{
    CBSUDlg dlg;
    return dlg.DoModal();
}

// The update task runs the dialog through this hook (see update/BSUDialogHost.h).
struct RegisterUpdateDialog {
    RegisterUpdateDialog() { SetBSUDialogRunner(&RunUpdateDialog); }
} s_registerUpdateDialog;

}  // namespace
