// brelvo-open FILE: opens the file with the desktop's default application for
// its kind, as a file manager does (GIO). FindExecutableA names this program
// as the one that opens a document, so the notifier's details page opens in
// the user's browser whatever that browser's desktop entry runs. Exit status
// 0 when the application was started, 1 when there is none or it did not
// start (the reason on standard error), 2 for bad usage.
#include "platform/shell/DesktopApplication.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: brelvo-open FILE\n"
                    "Opens FILE with the desktop's default application for its kind.\n"
                    "Exit status: 0 started, 1 no application or it did not start, 2 bad usage.\n");
        return 0;
    }
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "brelvo-open: expected one file (usage: brelvo-open FILE)\n");
        return 2;
    }
    std::string error;
    if (!platform::LaunchDefaultApplication(argv[1], error)) {
        std::fprintf(stderr, "brelvo-open: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
