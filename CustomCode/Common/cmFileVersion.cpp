#include "CustomCode/Common/cmFileVersion.h"

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "platform/kernel32/KernelObject.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int Relation(int mine, int theirs)
{
    if (mine < theirs)
        return CM_RELATION_OLDER;
    return mine > theirs ? CM_RELATION_NEWER : CM_RELATION_SAME;
}

}  // namespace

cmFileVersion::~cmFileVersion() = default;

void cmFileVersion::Load(LPCSTR szPath)
{
    const cmString szKeep(szPath);
    *this = cmFileVersion();
    m_szPath = szKeep;

    HANDLE hFind = FindFirstFileA(m_szPath, &m_findData);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    FindClose(hFind);
    m_bFileFound = true;
    m_dwSize = m_findData.nFileSizeLow;

    SYSTEMTIME st{};
    if (FileTimeToSystemTime(&m_findData.ftLastWriteTime, &st)) {
        m_szDate.Format("%1!02d!-%2!s!-%3!02d!", static_cast<int>(st.wDay), kMonths[(st.wMonth + 11) % 12],
                        static_cast<int>(st.wYear % 100));
        m_szTime.Format("%1!02d!:%2!02d!:%3!02d!", static_cast<int>(st.wHour), static_cast<int>(st.wMinute),
                        static_cast<int>(st.wSecond));
        m_bDateLoaded = true;
    }

    DWORD dwHandle = 0;
    const DWORD cb = GetFileVersionInfoSizeA(m_szPath, &dwHandle);
    if (cb == 0)
        return;
    std::vector<BYTE> block(cb);
    void* pFixed = nullptr;
    unsigned cbFixed = 0;
    if (GetFileVersionInfoA(m_szPath, dwHandle, cb, block.data()) &&
        VerQueryValueA(block.data(), "\\", &pFixed, &cbFixed) && cbFixed >= sizeof m_fixed) {
        m_fixed = *static_cast<const VS_FIXEDFILEINFO*>(pFixed);
        m_szVersion.Format("%1!d!.%2!d!.%3!d!.%4!d!", static_cast<int>(m_fixed.dwFileVersionMS >> 16),
                           static_cast<int>(m_fixed.dwFileVersionMS & 0xFFFF),
                           static_cast<int>(m_fixed.dwFileVersionLS >> 16),
                           static_cast<int>(m_fixed.dwFileVersionLS & 0xFFFF));
        m_bVersionLoaded = true;
    }
}

bool cmFileVersion::CompareVersion(LPCSTR szVersion, int& relation) const
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmFileVersion::CompareVersion");
    relation = 0;
    if (!m_bVersionLoaded)
        return false;
    int parts[4] = {};
    int count = 0;
    const char* p = szVersion != nullptr ? szVersion : "";
    while (count < 4) {
        parts[count++] = std::atoi(p);
        while (*p != '\0' && *p != '.')
            ++p;
        if (*p == '\0')
            break;
        ++p;
    }
    if (count < 4) {
        CM_TRACE_INFO("In catch all");
        return false;
    }
    CM_TRACE_INFO("Set %s into number, (%d.%d.%d.%d)", szVersion, parts[0], parts[1], parts[2], parts[3]);
    // Each part as the signed 16-bit number the version record holds.
    const int mine[4] = {static_cast<std::int16_t>(m_fixed.dwFileVersionMS >> 16),
                         static_cast<std::int16_t>(m_fixed.dwFileVersionMS & 0xFFFF),
                         static_cast<std::int16_t>(m_fixed.dwFileVersionLS >> 16),
                         static_cast<std::int16_t>(m_fixed.dwFileVersionLS & 0xFFFF)};
    relation = CM_RELATION_SAME;
    for (int i = 0; i < 4 && relation == CM_RELATION_SAME; ++i)
        relation = Relation(mine[i], static_cast<std::int16_t>(parts[i]));
    return true;
}

bool cmFileVersion::CompareTime(const cmFileVersion& other, int& relation) const
{
    relation = 0;
    if (!m_bDateLoaded)
        return false;
    const LONG c = CompareFileTime(&m_findData.ftLastWriteTime, &other.m_findData.ftLastWriteTime);
    relation = c < 0 ? CM_RELATION_OLDER : (c > 0 ? CM_RELATION_NEWER : CM_RELATION_SAME);
    return true;
}

cmString cmFileVersion::GetListingLine() const
{
    cmString line;
    line.Format("%1!24s!  %3!9s! %4!9s! %5!8d! bytes: %2!s!", m_szVersion.GetText(), m_szPath.GetText(),
                m_szDate.GetText(), m_szTime.GetText(), static_cast<int>(m_dwSize));
    return line;
}
