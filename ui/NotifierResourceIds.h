// The ids of the dialogs' resources: templates, string table entries, the
// program's icon and the controls.
#pragma once

#include "platform/kernel32/WinTypes.h"

// Dialog templates.
constexpr UINT IDD_BSU_DIALOG = 204;
constexpr UINT IDD_BSU_DELETEUPGRADE = 140;
constexpr UINT IDD_BSU_MOREDETAILS = 203;

// The program's icon.
constexpr UINT IDR_MAINFRAME = 128;

// Controls of the update dialog.
constexpr int IDC_BSU_MOREDETAILS_BTN = 2000;
constexpr int IDC_BSU_UPDATENOW = 2001;
constexpr int IDC_BSU_REMINDMELATER = 2002;
constexpr int IDC_BSU_STOPBUGGINGME = 2003;
constexpr int IDC_BSU_UPDATE_AVAILABLE = 2005;
constexpr int IDC_BSU_INSTALL_NOW_TEXT = 2006;
constexpr int IDC_BSU_INSTALL_LATER_TEXT = 2008;
constexpr int IDC_BSU_IGNORE_TEXT = 2009;
constexpr int IDC_BSU_PICTURE = 1502;

// Controls of the delete confirmation.
constexpr int IDC_DELETE_TEXT_DOWNLOADED = 1503;
constexpr int IDC_DELETE_TEXT_LATER = 1504;
constexpr int IDC_DELETE_QUESTION = 1505;

// Controls of the more-details dialog.
constexpr int IDC_MOREDETAILS_TEXT = 1009;

// String table entries.
constexpr UINT IDS_BSU_UPDATE = 5868;
constexpr UINT IDS_BSU_REMIND_ME_LATER = 5869;
constexpr UINT IDS_BSU_DO_NOT_UPDATE = 5870;
constexpr UINT IDS_BSU_MORE_DETAILS = 5871;
constexpr UINT IDS_BSU_INSTALL_NOW_TEXT = 5873;
constexpr UINT IDS_BSU_INSTALL_LATER_TEXT = 5874;
constexpr UINT IDS_BSU_IGNORE_TEXT = 5875;
constexpr UINT IDS_BSU_UPDATE_AVAILABLE = 5876;
constexpr UINT IDS_BSU_CAPTION = 60001;
constexpr UINT IDS_MOREDETAILS_OK = 57605;
constexpr UINT IDS_DELETE_YES = 57607;
constexpr UINT IDS_DELETE_NO = 57608;
constexpr UINT IDS_DELETE_TEXT_DOWNLOADED = 57609;
constexpr UINT IDS_DELETE_TEXT_LATER = 57610;
constexpr UINT IDS_DELETE_QUESTION = 57611;
