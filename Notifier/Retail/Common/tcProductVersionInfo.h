// tcProductVersionInfo: one product of an update configuration file, its name
// (a registry key name under the updater's key) and its new version, kept and
// compared as text. Ordered by name, case-sensitively, as the product set of
// tcConfigFileData needs.
#pragma once

#include "CustomCode/Common/cmString.h"

class tcProductVersionInfo {
public:
    tcProductVersionInfo() = default;
    tcProductVersionInfo(const cmString& szName, const cmString& szVersion);
    tcProductVersionInfo(const tcProductVersionInfo& other) = default;
    tcProductVersionInfo& operator=(const tcProductVersionInfo& other) = default;
    virtual ~tcProductVersionInfo();

    const cmString& GetName() const { return m_szName; }
    void SetName(const cmString& szName) { m_szName = szName; }
    const cmString& GetVersion() const { return m_szVersion; }
    void SetVersion(const cmString& szVersion) { m_szVersion = szVersion; }

    // Order of the product set: by name only (byte order of the multibyte run-time).
    bool operator<(const tcProductVersionInfo& other) const { return m_szName < other.m_szName; }
    // Same name and same version.
    bool operator==(const tcProductVersionInfo& other) const;
    bool operator!=(const tcProductVersionInfo& other) const { return !(*this == other); }

private:
    cmString m_szName;
    cmString m_szVersion;
};
