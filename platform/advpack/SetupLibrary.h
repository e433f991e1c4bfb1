// The setup library's folder-tree deletion, reached through
// LoadLibraryA("advpack.dll") and GetProcAddress(..., "DelNode").
#pragma once

#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

// Flags 0: delete the file, or the folder with every file and folder below it.
constexpr DWORD ADN_DEFAULT = 0;

// The entry's type, for the caller's GetProcAddress.
using DELNODE = HRESULT (*)(LPCSTR pszFileOrDirName, DWORD dwFlags);

// Deletes pszFileOrDirName (flags 0) and everything below it. Symbolic links
// are never followed: a link is removed as the link it is, wherever it points,
// so nothing outside the tree is touched. Deleting goes on past an entry that
// cannot be removed; the result is S_OK when the path is gone, else E_FAIL
// (also for a path that does not exist). E_INVALIDARG for other flags and for
// a path that is empty, relative, or names the root folder.
HRESULT DelNode(LPCSTR pszFileOrDirName, DWORD dwFlags);
