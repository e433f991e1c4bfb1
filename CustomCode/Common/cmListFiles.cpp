#include "CustomCode/Common/cmListFiles.h"

#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/PathApi.h"

cmListFiles::~cmListFiles() = default;

int cmListFiles::Collect(LPCSTR szFolder, LPCSTR szMask, cmListRecurse eRecurse, int nStopAt)
{
    cmString szPath(szFolder);
    const DWORD n = szPath.GetLengthInTchars();
    if (n == 0 || szPath[static_cast<LONG>(n - 1)] != kPathSeparator)
        szPath += kPathSeparator;

    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA(szPath + szMask, &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return GetCount();
    do {
        if (nStopAt > 0 && GetCount() >= nStopAt)
            break;
        if (data.cFileName[0] == '.')
            continue;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            if (eRecurse == cmListRecurse::Yes)
                Collect(szPath + data.cFileName, szMask, eRecurse, nStopAt);
        } else {
            m_entries.push_back({szPath, data});
        }
    } while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    return GetCount();
}
