#include "Notifier/Retail/Common/tcProductVersionInfo.h"

tcProductVersionInfo::tcProductVersionInfo(const cmString& szName, const cmString& szVersion)
    : m_szName(szName), m_szVersion(szVersion)
{
}

tcProductVersionInfo::~tcProductVersionInfo() = default;

bool tcProductVersionInfo::operator==(const tcProductVersionInfo& other) const
{
    return m_szName == other.m_szName && m_szVersion == other.m_szVersion;
}
