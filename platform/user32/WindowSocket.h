// Window sockets: the datagram sockets through which top-level windows of
// different processes reach each other, for the platform layer's own use.
//
// Each top-level window binds "<runtime dir>/windows/p<pid>-t<tid>-w<n>.sock"
// (the folder is 0700 and must be the user's own). A thread that sends to
// other processes has one more socket, bound to an automatic abstract
// address, on which the answers to its sends arrive. Every receiving socket
// takes the sender's credentials from the kernel and drops datagrams without
// them, of the wrong size or with fields out of range; whose datagrams count
// is the receiver's decision (AcceptsWindowSender).
//
// A process running as root may also reach the windows of another user's
// session, through that user's runtime folder (an installer that elevated
// itself reports to the notifier of the user it installs for); the folder
// functions below take the windows folder to use.
#pragma once

#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WindowDatagram.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::detail {

struct SocketEntry {
    DWORD pid = 0;
    DWORD threadId = 0;
    DWORD window = 0;
    std::string name;  // file name inside the windows folder
};

std::string WindowSocketName(DWORD pid, DWORD threadId, DWORD window);
bool ParseWindowSocketName(const std::string& name, SocketEntry& out);

// The windows folder, made when missing; ERROR_SUCCESS or the refusal.
DWORD EnsureWindowsDir(std::string& path);

// Binds the socket of a top-level window (nonblocking, close-on-exec). A
// leftover file of the same name (a dead process whose id we now have) is
// replaced. ERROR_SUCCESS with fd and the file's path, or the error.
DWORD OpenWindowSocket(DWORD threadId, DWORD window, int& fd, std::string& path);
// Closes the socket and removes its file.
void CloseWindowSocket(int fd, const std::string& path);

// The sockets in the windows folder now (in no particular order).
std::vector<SocketEntry> ListWindowSockets();
// The same for the windows folder at dir.
std::vector<SocketEntry> ListWindowSockets(const std::string& dir);
// The socket of window n of process pid, if it exists.
bool FindWindowSocket(DWORD pid, DWORD window, SocketEntry& out);
// Whether the process that named the socket is alive.
bool IsProcessAlive(DWORD pid);

enum class SendOutcome { Delivered, Stale, Busy, Failed };

// Sends one datagram to the socket from the calling thread's reply socket,
// retrying up to waitMs while the receiver's queue is full. A socket whose
// process is gone or that nobody has bound any more is removed (Stale).
SendOutcome SendToWindowSocket(const SocketEntry& entry, const WindowDatagram& datagram, DWORD waitMs);
// The same for a socket of the windows folder at dir.
SendOutcome SendToWindowSocket(const std::string& dir, const SocketEntry& entry, const WindowDatagram& datagram,
                               DWORD waitMs);

// The calling thread's reply socket (made on first use), -1 when none can be made.
int ThreadReplySocket();

// Answers a send that came from another process.
void SendRemoteReply(const std::string& address, const WindowDatagram& reply);

enum class ReceiveOutcome { Got, Dropped, Empty };

// Takes one datagram from a receiving socket without blocking. Got: out,
// the sender's address and its user id are filled; Dropped: one invalid
// datagram was thrown away; Empty: nothing waits.
ReceiveOutcome ReceiveWindowDatagram(int fd, WindowDatagram& out, std::string& fromAddress, unsigned& senderUid);

// Whether a window of this process takes a message sent by that user: its
// own user's, and root's (an elevated installer). Nobody else can reach the
// sockets, which live in the user's private runtime folder.
bool AcceptsWindowSender(unsigned senderUid);

}  // namespace platform::detail
