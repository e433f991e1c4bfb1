// glm-milestone MILESTONE [STATUS]: sends the installer milestone message to
// every top-level window of the session, as an installer does to tell the
// notifier how far it got. Exit status 0 when at least one window received
// it, 1 when none did, 2 for bad usage.
#include "CustomCode/Common/cmLog.h"
#include "CustomCode/Common/cmSetupMilestone.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseNumber(const char* text, DWORD& value)
{
    if (text == nullptr || *text == '\0' || *text == '-' || *text == '+')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text, &end, 0);
    if (errno != 0 || *end != '\0' || v > 0xFFFFFFFFull)
        return false;
    value = static_cast<DWORD>(v);
    return true;
}

int Usage(const char* problem)
{
    std::fprintf(stderr, "glm-milestone: %s (usage: glm-milestone MILESTONE [STATUS])\n", problem);
    return 2;
}

}  // namespace

// A companion tool reads the log switches it finds and stores none.
bool cmLogCreatesMissingSwitches() { return false; }

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: glm-milestone MILESTONE [STATUS]\n"
                    "Sends the message GLM_SETUP_MILESTONE_MSG with MILESTONE and STATUS (default 0)\n"
                    "to every top-level window of the session. Exit status: 0 received, 1 nobody\n"
                    "received it, 2 bad usage.\n");
        return 0;
    }
    if (argc < 2 || argc > 3)
        return Usage("expected one or two numbers");
    DWORD milestone = 0, status = 0;
    if (!ParseNumber(argv[1], milestone))
        return Usage("MILESTONE is not a number");
    if (argc == 3 && !ParseNumber(argv[2], status))
        return Usage("STATUS is not a number");
    DWORD receivers = 0;
    if (cmSendSetupMilestone(milestone, status, 5000, &receivers) != S_OK) {
        std::fprintf(stderr, "glm-milestone: no window received milestone %lu\n", static_cast<unsigned long>(milestone));
        return 1;
    }
    return 0;
}
