// cmFileVersion: a file's size, last-write time and version, and the
// comparisons of its version with a four-part version text and of two
// files' times. Used to decide whether a library is recent enough.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/FileFind.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/version/VersionInfo.h"

// How a file compares: older, the same, or newer.
constexpr int CM_RELATION_OLDER = 1;
constexpr int CM_RELATION_SAME = 2;
constexpr int CM_RELATION_NEWER = 3;

class cmFileVersion {
public:
    cmFileVersion() = default;
    virtual ~cmFileVersion();

    // Clears everything, keeps the path, then reads what can be read: the
    // find record (file found, size, date "dd-MMM-yy" and time "HH:mm:ss" of
    // the last write in UTC) and the version ("%1!d!.%2!d!.%3!d!.%4!d!").
    // Each flag says whether its part was loaded.
    void Load(LPCSTR szPath);

    // Relates the file's version to szVersion ("5.0.2195.1"): relation 1 when
    // the file is older, 2 the same, 3 newer, each part compared as a signed
    // 16-bit number, the first difference deciding. False (relation 0) when
    // no version was loaded or the text has fewer than four parts.
    bool CompareVersion(LPCSTR szVersion, int& relation) const;
    // Relates the last-write times of this file and another; false when this
    // record has no time.
    bool CompareTime(const cmFileVersion& other, int& relation) const;

    // "version  date time size bytes: path", for diagnostics.
    cmString GetListingLine() const;

    const cmString& GetVersionText() const { return m_szVersion; }
    const cmString& GetPath() const { return m_szPath; }
    const cmString& GetDateText() const { return m_szDate; }
    const cmString& GetTimeText() const { return m_szTime; }
    DWORD GetSize() const { return m_dwSize; }
    bool IsVersionLoaded() const { return m_bVersionLoaded; }
    bool IsDateLoaded() const { return m_bDateLoaded; }
    bool IsFileFound() const { return m_bFileFound; }

private:
    cmString m_szVersion;
    cmString m_szPath;
    cmString m_szDate;
    cmString m_szTime;
    DWORD m_dwSize = 0;
    bool m_bVersionLoaded = false;
    bool m_bDateLoaded = false;
    bool m_bFileFound = false;
    VS_FIXEDFILEINFO m_fixed{};
    WIN32_FIND_DATAA m_findData{};
};
