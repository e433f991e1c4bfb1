// The application framework's base class and entry: the stand-in for the
// Windows application framework that the program is written against.
//
// Exactly one application object exists per process, constructed as a static
// object before main() runs. AfxWinMain() then runs it: InitInstance; when
// that returns FALSE the framework calls ExitInstance at once and its result
// is the process exit code; otherwise Run() takes over and ends with
// ExitInstance as well.
#pragma once

#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"

constexpr UINT ID_HELP = 0xE146;

class CWinApp;

// One entry of a message map: a command id routed to a handler of the class.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nID;
    void (CWinApp::*pfn)();
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;  // ends with an entry whose nMessage is 0
};

class CWinApp {
public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual const AFX_MSGMAP* GetMessageMap() const;
    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    // Routes a WM_COMMAND id through the message maps, most derived first.
    // TRUE when a handler took it.
    BOOL OnCmdMsg(UINT nID);

    // The framework's default help handler. There is no help file.
    void OnHelp();

    // Shows a message box for the application (AfxMessageBox comes here) and
    // gives the id of the button pressed. This platform has no message box
    // of its own: the base shows none and gives 0, as a message box that
    // cannot be created does; a GUI application supplies one.
    virtual int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt);

    // Times OnHelp ran; tells tests and diagnostics that routing reached it.
    int GetHelpRequests() const { return m_nHelpRequests; }

private:
    int m_nHelpRequests = 0;
};

// The process's application object, or null before it is constructed.
CWinApp* AfxGetApp();

// Runs the application object; its result is the process exit code.
int AfxWinMain();

// The application's message box (CWinApp::DoMessageBox); 0 without an
// application object.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// Makes the rich-edit control available to dialogs; TRUE when it is.
BOOL AfxInitRichEdit();
