#include "update/BSUDialogHost.h"

namespace {
BSUDialogRunner s_pfnRunner = nullptr;
}

void SetBSUDialogRunner(BSUDialogRunner pfnRunner) { s_pfnRunner = pfnRunner; }

int RunBSUDialog() { return s_pfnRunner != nullptr ? s_pfnRunner() : -1; }
