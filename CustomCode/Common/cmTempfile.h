// cmTempfile: a unique temporary name in the temporary folder, and the file
// or folder made under it, removed when the object goes.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

class cmTempfile {
public:
    cmTempfile() = default;
    cmTempfile(const cmTempfile&) = delete;
    cmTempfile& operator=(const cmTempfile&) = delete;
    // Removes what the name names.
    virtual ~cmTempfile();

    // Makes a new name: the temporary folder, szPrefix, then the process id,
    // a per-process counter and the UTC time down to the millisecond joined
    // by '-', then szSuffix. A name held before is removed first (its
    // failure is returned). No file is made.
    HRESULT getTempfileName(cmString& szName, LPCSTR szPrefix, LPCSTR szSuffix);
    // Creates the file of the current name, failing when anything exists
    // under it (so a name taken by someone else is never used): the handle,
    // or INVALID_HANDLE_VALUE with the last error.
    HANDLE CreateExclusive();
    // Removes the folder or file of the current name and forgets the name.
    HRESULT rmvTempfileName();

    const cmString& GetName() const { return m_szName; }

private:
    cmString m_szName;
};
