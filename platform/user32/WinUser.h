// Windows, window classes, the per-thread message queue, timers and
// registered window messages: the USER32 calls the program is written
// against, with Windows names, argument meanings and numeric codes.
//
// How it works on this platform:
// - Every thread gets a message queue the first time it calls one of these
//   functions (PostThreadMessageA to a thread that never did fails with
//   ERROR_INVALID_THREAD_ID, as on Windows). The queue is driven by file
//   descriptors (see platform/user32/ThreadLoop.h).
// - A window belongs to the thread that created it; its procedure runs only on
//   that thread. SendMessageA to a window of the calling thread is a direct
//   call; to another thread it waits for that thread to take the message
//   (while it waits, messages sent to the caller are still served).
// - Every top-level window (no WS_CHILD, not a message-only window under
//   HWND_MESSAGE) has a datagram socket in "<runtime dir>/windows/", named
//   "p<pid>-t<thread id>-w<window number>.sock". A window handle is valid in
//   every process of the session: it carries the owner's process id and the
//   window number. Messages to windows of other processes, and HWND_BROADCAST,
//   travel as {message, wParam, lParam} datagrams; only integer-only messages
//   (WM_USER and above) cross a process boundary, as no pointer can.
//   SendMessageA to another process waits at most
//   kCrossProcessSendTimeoutMs; SendMessageTimeoutA sets its own bound.
// - Registered messages are session-wide ids from 0xC000, kept in a locked
//   table file in the runtime directory.
#pragma once

#include "platform/kernel32/Resources.h"  // HINSTANCE
#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <cstdint>

struct HWND__ {
    int unused;
};
using HWND = HWND__*;

struct HICON__ {
    int unused;
};
using HICON = HICON__*;
using HCURSOR = HICON;

struct HBRUSH__ {
    int unused;
};
using HBRUSH = HBRUSH__*;

struct HMENU__ {
    int unused;
};
using HMENU = HMENU__*;

using ATOM = WORD;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using PDWORD_PTR = DWORD_PTR*;
using LPDWORD = DWORD*;

struct POINT {
    LONG x;
    LONG y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
    DWORD lPrivate;
};
using LPMSG = MSG*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};

struct CREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};

// Special window handles.
#define HWND_BROADCAST (reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xFFFF)))
#define HWND_MESSAGE (reinterpret_cast<HWND>(static_cast<std::intptr_t>(-3)))

// An atom travels in the low word of a class-name pointer.
#define MAKEINTATOM(i) (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))

// Window messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_NCACTIVATE = 0x0086;
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;
// Registered messages (RegisterWindowMessageA) use 0xC000..0xFFFF.
constexpr UINT kFirstRegisteredMessage = 0xC000;

// PeekMessageA flags.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// Queue status bits (MsgWaitForMultipleObjects wake masks).
constexpr DWORD QS_KEY = 0x0001;
constexpr DWORD QS_MOUSEMOVE = 0x0002;
constexpr DWORD QS_MOUSEBUTTON = 0x0004;
constexpr DWORD QS_POSTMESSAGE = 0x0008;
constexpr DWORD QS_TIMER = 0x0010;
constexpr DWORD QS_PAINT = 0x0020;
constexpr DWORD QS_SENDMESSAGE = 0x0040;
constexpr DWORD QS_HOTKEY = 0x0080;
constexpr DWORD QS_ALLPOSTMESSAGE = 0x0100;
constexpr DWORD QS_RAWINPUT = 0x0400;
constexpr DWORD QS_MOUSE = QS_MOUSEMOVE | QS_MOUSEBUTTON;
constexpr DWORD QS_INPUT = QS_MOUSE | QS_KEY | QS_RAWINPUT;
constexpr DWORD QS_ALLEVENTS = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY;
constexpr DWORD QS_ALLINPUT = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE;

// MsgWaitForMultipleObjectsEx flags.
constexpr DWORD MWMO_WAITALL = 0x0001;
constexpr DWORD MWMO_ALERTABLE = 0x0002;
constexpr DWORD MWMO_INPUTAVAILABLE = 0x0004;

// SendMessageTimeoutA flags.
constexpr UINT SMTO_NORMAL = 0x0000;
constexpr UINT SMTO_BLOCK = 0x0001;
constexpr UINT SMTO_ABORTIFHUNG = 0x0002;
constexpr UINT SMTO_NOTIMEOUTIFNOTHUNG = 0x0008;
constexpr UINT SMTO_ERRORONEXIT = 0x0020;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;  // top-level windows only
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;  // top-level windows only
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;

// Dialog, button and static styles.
constexpr DWORD DS_SYSMODAL = 0x0002;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_CHECKBOX = 0x0002;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_RADIOBUTTON = 0x0004;
constexpr DWORD BS_3STATE = 0x0005;
constexpr DWORD BS_AUTO3STATE = 0x0006;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD BS_USERBUTTON = 0x0008;
constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
constexpr DWORD BS_OWNERDRAW = 0x000B;
constexpr DWORD BS_TYPEMASK = 0x000F;
constexpr DWORD BS_PUSHLIKE = 0x1000;
constexpr DWORD BS_FLAT = 0x8000;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_CENTER = 0x0001;
constexpr DWORD SS_RIGHT = 0x0002;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_LEFTNOWORDWRAP = 0x000C;
constexpr DWORD SS_BITMAP = 0x000E;
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr DWORD SS_NOPREFIX = 0x0080;
constexpr DWORD CBS_SIMPLE = 0x0001;
constexpr DWORD CBS_TYPEMASK = 0x0003;
constexpr DWORD SBS_SIZEGRIP = 0x0010;

// Dialog results and command ids.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDHELP = 9;

// Message box types, icons, default buttons and options.
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x0002;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_RETRYCANCEL = 0x0005;
constexpr UINT MB_TYPEMASK = 0x000F;
constexpr UINT MB_ICONHAND = 0x0010;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_ICONASTERISK = 0x0040;
constexpr UINT MB_ICONMASK = 0x00F0;
constexpr UINT MB_DEFBUTTON1 = 0x0000;
constexpr UINT MB_DEFBUTTON2 = 0x0100;
constexpr UINT MB_DEFBUTTON3 = 0x0200;
constexpr UINT MB_DEFBUTTON4 = 0x0300;
constexpr UINT MB_DEFMASK = 0x0F00;
constexpr UINT MB_HELP = 0x4000;

// WM_NCHITTEST results.
constexpr int HTNOWHERE = 0;
constexpr int HTCLIENT = 1;
constexpr int HTCAPTION = 2;
constexpr int HTSYSMENU = 3;
constexpr int HTMINBUTTON = 8;
constexpr int HTMAXBUTTON = 9;
constexpr int HTLEFT = 10;
constexpr int HTRIGHT = 11;
constexpr int HTTOP = 12;
constexpr int HTTOPLEFT = 13;
constexpr int HTTOPRIGHT = 14;
constexpr int HTBOTTOM = 15;
constexpr int HTBOTTOMLEFT = 16;
constexpr int HTBOTTOMRIGHT = 17;
constexpr int HTBORDER = 18;
constexpr int HTCLOSE = 20;

// DrawTextA formats.
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOPREFIX = 0x0800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;

// WM_SETICON kinds.
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

// WM_SYSCOMMAND commands.
constexpr UINT SC_SIZE = 0xF000;
constexpr UINT SC_MOVE = 0xF010;
constexpr UINT SC_MINIMIZE = 0xF020;
constexpr UINT SC_MAXIMIZE = 0xF030;
constexpr UINT SC_CLOSE = 0xF060;
constexpr UINT SC_MOUSEMENU = 0xF090;
constexpr UINT SC_KEYMENU = 0xF100;
constexpr UINT SC_RESTORE = 0xF120;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

// GetWindowLongPtrA / SetWindowLongPtrA indices.
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;

// Timer bounds (SetTimer clamps to these, as Windows does).
constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// Win32 errors of the window and message calls.
constexpr DWORD ERROR_MESSAGE_SYNC_ONLY = 1159;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_TLW_WITH_WSCHILD = 1406;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_WINDOW_OF_OTHER_THREAD = 1408;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
constexpr DWORD ERROR_INVALID_INDEX = 1413;
constexpr DWORD ERROR_INVALID_FILTER_PROC = 1427;
constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;
constexpr DWORD ERROR_NOT_ENOUGH_QUOTA = 1816;

// How long SendMessageA waits for a window of another process before it
// gives up with 0 and ERROR_TIMEOUT. A process that never serves its queue
// must not hang the sender for ever.
constexpr DWORD kCrossProcessSendTimeoutMs = 5000;

// At most this many posted messages wait in one thread's queue; posting more
// fails with ERROR_NOT_ENOUGH_QUOTA (Windows has the same limit).
constexpr std::size_t kPostedMessageLimit = 10000;

// --- Messages ---------------------------------------------------------------

// Posts to the thread's queue. FALSE with ERROR_INVALID_THREAD_ID when the
// thread has no message queue (or does not exist), ERROR_NOT_ENOUGH_QUOTA when
// its queue is full.
BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);

// Posts to the queue of the window's thread. hWnd NULL posts a thread message
// to the calling thread; HWND_BROADCAST posts to every top-level window of the
// session (TRUE when at least one window got it). A window of another process
// gets only messages from WM_USER up (ERROR_MESSAGE_SYNC_ONLY otherwise).
BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Calls the window procedure and returns its result: directly on the window's
// own thread, else through the owner's queue (see the header comment). 0 with
// ERROR_INVALID_WINDOW_HANDLE for a window that does not exist, with
// ERROR_TIMEOUT when another process did not answer in time. HWND_BROADCAST
// sends to every top-level window of the session and returns 0.
LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// SendMessageA with a bound of uTimeout milliseconds for windows of other
// threads and processes. Nonzero on success (the result in *lpdwResult when
// that is not NULL); 0 with ERROR_TIMEOUT when the bound passed.
LRESULT SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
                            PDWORD_PTR lpdwResult);

// Serves messages sent to this thread, then takes the first posted message
// that passes the filters (window: NULL any, (HWND)-1 thread messages only,
// else that window and its children; message range: both 0 for all), then
// WM_QUIT, then a due timer as WM_TIMER. TRUE when *lpMsg was filled.
BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);

// Waits for a message as PeekMessageA(PM_REMOVE) would take it. 0 for
// WM_QUIT, -1 for a bad window filter or buffer, else nonzero.
BOOL GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);

// Waits for the objects (as WaitForMultipleObjects does) or for input of the
// kinds in dwWakeMask (QS_POSTMESSAGE, QS_ALLPOSTMESSAGE, QS_SENDMESSAGE,
// QS_TIMER; the other kinds never occur here), which gives WAIT_OBJECT_0 +
// nCount. Input counts while it waits in the queue, not only when it is new
// since the last look (as MWMO_INPUTAVAILABLE asks on Windows), so a wait
// never sleeps over a message that is already there. nCount at most
// MAXIMUM_WAIT_OBJECTS - 1. MWMO_WAITALL: WAIT_OBJECT_0 when all objects are
// signaled at once, WAIT_OBJECT_0 + nCount for input. MWMO_ALERTABLE also
// runs queued calls (WAIT_IO_COMPLETION). With a ThreadLoopDriver installed
// (platform/user32/ThreadLoop.h) the driver does the sleeping.
DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                DWORD dwWakeMask);
DWORD MsgWaitForMultipleObjectsEx(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds, DWORD dwWakeMask,
                                  DWORD dwFlags);

// Makes the calling thread's next retrieval, once its posted messages are
// taken, return WM_QUIT with this exit code.
void PostQuitMessage(int nExitCode);

// Blocks until the calling thread has input (posted or sent messages, a due
// timer).
BOOL WaitMessage();

// Hands the message to its window procedure (a WM_TIMER that names a timer
// procedure calls that procedure instead) and returns the result. Thread
// messages (no window) are not dispatched anywhere.
LRESULT DispatchMessageA(const MSG* lpMsg);

// There is no keyboard input to translate on this platform: always FALSE.
BOOL TranslateMessage(const MSG* lpMsg);

// Queue status of the calling thread: high word the kinds of input waiting,
// masked by flags (QS_*).
DWORD GetQueueStatus(UINT flags);

// The session-wide id of a message name (0xC000..0xFFFF), the same in every
// process for names that differ only in ASCII case. 0 with the last error on
// failure (ERROR_INVALID_PARAMETER for an empty or too long name, the runtime
// directory's error when it is refused, ERROR_NOT_ENOUGH_MEMORY when all
// ids are taken).
UINT RegisterWindowMessageA(LPCSTR lpString);

// --- Window classes ---------------------------------------------------------

// Registers a class for the module (NULL: the program's module). Returns its
// atom, or 0 with ERROR_CLASS_ALREADY_EXISTS when the module already has a
// class of that name (ASCII case ignored), ERROR_INVALID_PARAMETER for a bad
// record.
ATOM RegisterClassExA(const WNDCLASSEXA* lpwcx);

// Fills *lpwcx for a registered class (by name or atom) and returns its atom;
// FALSE with ERROR_CLASS_DOES_NOT_EXIST when there is none.
BOOL GetClassInfoExA(HINSTANCE hInstance, LPCSTR lpszClass, WNDCLASSEXA* lpwcx);

// Removes a class: ERROR_CLASS_DOES_NOT_EXIST when there is none,
// ERROR_CLASS_HAS_WINDOWS while windows of it exist.
BOOL UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance);

// --- Windows ----------------------------------------------------------------

// Creates a window of a registered class on the calling thread. The
// procedure receives WM_NCCREATE (FALSE cancels) and WM_CREATE (-1 cancels),
// both with a CREATESTRUCTA in lParam. Position and size are kept but mean
// nothing here: no window is ever shown. hWndParent HWND_MESSAGE makes a
// message-only window (no socket, no broadcasts).
HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam);

// Destroys a window of the calling thread and its children: WM_DESTROY, then
// WM_NCDESTROY, then its timers and socket go. ERROR_ACCESS_DENIED from
// another thread, ERROR_INVALID_WINDOW_HANDLE for a window that is gone.
BOOL DestroyWindow(HWND hWnd);

// Default processing: WM_NCCREATE answers TRUE, WM_CLOSE destroys the
// window, everything else answers 0.
LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Calls a window procedure that was replaced by subclassing.
LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Window values: the GWL*/GWLP_* indices, or a byte offset into the class's
// cbWndExtra bytes. Windows of this process only (others:
// ERROR_ACCESS_DENIED). 0 with ERROR_INVALID_INDEX for an index out of range.
LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex);
LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);

// Whether the handle names a live window (also of another process).
BOOL IsWindow(HWND hWnd);

// The thread that owns the window (its id), and its process in
// *lpdwProcessId; 0 for a handle that is not a window.
DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);

// --- Timers -----------------------------------------------------------------

// Starts or replaces a timer. hWnd NULL: a thread timer of the calling thread
// (a new id unless nIDEvent names one of its timers); the WM_TIMER messages
// come with hwnd NULL. With a window: the timer (hWnd, nIDEvent) of the
// window's thread. The interval is clamped to USER_TIMER_MINIMUM ..
// USER_TIMER_MAXIMUM. Returns the timer id, 0 on failure.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);

// Stops the timer; FALSE with ERROR_INVALID_PARAMETER when there is no such timer.
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// --- Broadcast, with its outcome --------------------------------------------

// GetSystemMetrics indexes.
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;

// The standard icon size and the classic window frame: a caption of 19
// pixels, a dialog frame of 3 and a sizing frame of 4. 0 for what the
// program does not ask.
int GetSystemMetrics(int index);

namespace platform {

enum class BroadcastMode { Post, Send };

// Delivers the message to every top-level window of the session: those of
// this process directly, those of other processes through their sockets
// (stale sockets of dead processes are removed on the way). With Send, waits
// for each window to take the message, in all at most timeoutMs for windows of
// other threads and processes. Gives the number of windows that got the
// message, and removes nothing that belongs to a live window.
DWORD BroadcastWindowMessage(UINT Msg, WPARAM wParam, LPARAM lParam, BroadcastMode mode, DWORD timeoutMs);

// From a process running as root: sends the registered message of that name
// to every top-level window of the user uid, found through that user's
// runtime folders (RuntimeDirCandidatesForUser; a folder counts only when it
// is the user's own with mode 0700). The id is the one the user's session
// gave the name. Waits at most timeoutMs for the windows to take it; gives
// how many did. Other users' windows, and folders of somebody else, are
// never reached.
DWORD BroadcastToUserSession(unsigned uid, const char* messageName, WPARAM wParam, LPARAM lParam, DWORD timeoutMs);

}  // namespace platform
