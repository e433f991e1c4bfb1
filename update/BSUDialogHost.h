// How the update task reaches the update dialog without depending on the
// dialog layer: the dialog layer registers the function that constructs the
// dialog with no parent window, runs it modally and gives its result.
#pragma once

using BSUDialogRunner = int (*)();

// Installs the runner (the dialog layer does so during start-up); null removes it.
void SetBSUDialogRunner(BSUDialogRunner pfnRunner);

// Runs the update dialog modally: 5 after an action button, 2 on Escape,
// E_FAIL when the update cannot be loaded, -1 when no dialog can be created
// (also when no dialog layer is linked in).
int RunBSUDialog();
