// How an installer tells the notifier about its progress: the registered
// message "GLM_SETUP_MILESTONE_MSG", with the milestone in its first
// parameter and the final status (read with milestone 200) in its second,
// sent to every top-level window of the session. An installer written in
// C++ calls cmSendSetupMilestone; others run the glm-milestone tool. A sender
// running as root with PKEXEC_UID or SUDO_UID in its environment (an
// installer that elevated itself with pkexec or sudo) also reaches the
// windows of that user's session.
#pragma once

#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

// The message's registered name.
inline constexpr char szSetupMilestoneMessage[] = "GLM_SETUP_MILESTONE_MSG";

// Milestones and final statuses of the installer's protocol.
constexpr DWORD GLM_MILESTONE_STARTED = 70;
constexpr DWORD GLM_MILESTONE_RUNNING = 80;
constexpr DWORD GLM_MILESTONE_PROGRESS = 100;
constexpr DWORD GLM_MILESTONE_COMPLETED = 200;
constexpr DWORD GLM_MILESTONE_FAILING = 400;

// Sends the milestone and waits until every window took it (at most
// dwTimeoutMs in all). S_OK when at least one window received it, S_FALSE
// when none did; *pdwReceivers (when not null) gives how many did.
HRESULT cmSendSetupMilestone(DWORD dwMilestone, DWORD dwStatus, DWORD dwTimeoutMs = 5000, DWORD* pdwReceivers = nullptr);
