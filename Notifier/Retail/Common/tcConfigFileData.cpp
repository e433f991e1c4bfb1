#include "Notifier/Retail/Common/tcConfigFileData.h"

#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmComError.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmLog.h"
#include "platform/kernel32/FileApi.h"
#include "platform/kernel32/LastError.h"

#include <cstdio>
#include <new>

namespace {

constexpr DWORD kPacketVersion = 2;
constexpr DWORD kLengthSize = 4;

// The last Win32 error as a result code; a failure that left no error still fails.
HRESULT LastErrorResult()
{
    const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    return FAILED(hr) ? hr : E_FAIL;
}

// Reads the fields of one stretch of a packet, from its cursor up to dwEnd
// (the whole packet, or one counted block inside it, read in place rather
// than copied out), and records where a read failed. Offsets are those of
// the packet's bytes.
class FieldReader {
public:
    FieldReader(cmPacket& packet, DWORD dwEnd, tcConfigFileStop* pStop)
        : m_packet(packet), m_dwEnd(dwEnd), m_pStop(pStop)
    {
    }

    // szField may hold one %u for the entry number.
    HRESULT Number(DWORD& dw, LPCSTR szField, DWORD nEntry = 0)
    {
        const DWORD at = m_packet.GetCursor();
        if (Left() < kLengthSize)
            return Fail(at, szField, nEntry);
        return Check(m_packet.ReadNumber(dw), at, szField, nEntry);
    }
    HRESULT String(cmString& sz, LPCSTR szField, DWORD nEntry = 0)
    {
        const DWORD at = m_packet.GetCursor();
        if (!CountedFits())
            return Fail(at, szField, nEntry);
        return Check(m_packet.ReadString(sz), at, szField, nEntry);
    }
    HRESULT Buffer(cmBuffer& buf, LPCSTR szField, DWORD nEntry = 0)
    {
        const DWORD at = m_packet.GetCursor();
        if (!CountedFits())
            return Fail(at, szField, nEntry);
        return Check(m_packet.ReadBuffer(buf), at, szField, nEntry);
    }
    // Steps into the counted block at the cursor: dwBlockEnd receives where
    // it ends. Its fields are then read with a reader of their own, and
    // SkipTo(dwBlockEnd) passes over whatever of it was not read.
    HRESULT OpenBlock(DWORD& dwBlockEnd, LPCSTR szField)
    {
        const DWORD at = m_packet.GetCursor();
        DWORD cb = 0;
        if (!CountedFits(&cb))
            return Fail(at, szField, 0);
        m_packet.SetCursor(at + kLengthSize);
        dwBlockEnd = at + kLengthSize + cb;
        return S_OK;
    }
    void SkipTo(DWORD dwCursor) { m_packet.SetCursor(dwCursor); }
    void Stop(DWORD at, LPCSTR szField, DWORD nEntry)
    {
        if (m_pStop == nullptr)
            return;
        char field[128];
        std::snprintf(field, sizeof field, szField, nEntry);
        m_pStop->dwOffset = at;
        m_pStop->szField = field;
    }
    DWORD Cursor() const { return m_packet.GetCursor(); }

private:
    DWORD Left() const { return m_dwEnd - m_packet.GetCursor(); }

    // Whether the counted block at the cursor ends within this stretch.
    bool CountedFits(DWORD* pcb = nullptr)
    {
        const DWORD at = m_packet.GetCursor();
        DWORD cb = 0;
        if (Left() < kLengthSize || FAILED(m_packet.ReadNumber(cb)))
            return false;
        m_packet.SetCursor(at);
        if (cb > Left() - kLengthSize)
            return false;
        if (pcb != nullptr)
            *pcb = cb;
        return true;
    }
    HRESULT Fail(DWORD at, LPCSTR szField, DWORD nEntry)
    {
        Stop(at, szField, nEntry);
        return E_INVALIDARG;
    }
    HRESULT Check(HRESULT hr, DWORD at, LPCSTR szField, DWORD nEntry)
    {
        if (FAILED(hr))
            Stop(at, szField, nEntry);
        return hr;
    }

    cmPacket& m_packet;
    DWORD m_dwEnd;
    tcConfigFileStop* m_pStop;
};

}  // namespace

tcConfigFileData::tcConfigFileData() = default;

tcConfigFileData::~tcConfigFileData() = default;

// ------------------------------------------------------------------ reading

HRESULT tcConfigFileData::ReadFile(LPCSTR szFilePath, tcConfigFileStop* pStop)
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::ReadFile");
    CM_CHECK_ARG(szFilePath!=NULL);
    HRESULT hr = S_OK;
    HANDLE hHandle = CreateFileA(szFilePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, NULL);
    if (INVALID_HANDLE_VALUE == hHandle) {
        hr = CM_LOG_FAILED_RESULT(INVALID_HANDLE_VALUE == hHandle, LastErrorResult());
        CM_TRACE_PRINT(CM_DEBUG_INFO, "_com_error Code: 0x%x Text: %s", static_cast<unsigned>(hr),
                       cmErrorMessageText(hr).c_str());
        CM_TRACE_RETURN(hr);
    }
    hr = ReadFileHandle(hHandle, pStop);
    CloseHandle(hHandle);
    CM_TRACE_RETURN(hr);
}

HRESULT tcConfigFileData::ReadFileHandle(HANDLE hHandle, tcConfigFileStop* pStop)
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::ReadFileHandle");
    CM_CHECK_ARG(hHandle!=INVALID_HANDLE_VALUE);
    HRESULT hr = S_OK;
    DWORD dwHigh = 0;
    const DWORD dwSize = GetFileSize(hHandle, &dwHigh);
    if ((dwSize != INVALID_FILE_SIZE || GetLastError() == ERROR_SUCCESS) && (dwHigh != 0 || dwSize > tcMaxConfigFileSize)) {
        if (pStop != nullptr) {
            pStop->dwOffset = 0;
            pStop->szField = "file larger than " + std::to_string(tcMaxConfigFileSize) + " bytes";
        }
        hr = HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
        CM_TRACE_RETURN(hr);
    }
    cmPacket packet;
    DWORD dwLength = 0;
    bool bLengthRead = false;
    const DWORD dwError = packet.ReadCountedBlock(hHandle, &dwLength, &bLengthRead);
    if (dwError == ERROR_HANDLE_EOF) {
        // A short file, or a length that announces more than the file holds
        // (refused before anything that large is allocated): malformed input.
        if (pStop != nullptr) {
            char field[96];
            std::snprintf(field, sizeof field, "packet of %u bytes", dwLength);
            pStop->dwOffset = bLengthRead ? kLengthSize : 0;
            pStop->szField = bLengthRead ? field : "packet length";
        }
        hr = E_INVALIDARG;
        CM_TRACE_RETURN(hr);
    }
    if (dwError != ERROR_SUCCESS) {
        hr = HRESULT_FROM_WIN32(dwError);
        CM_TRACE_RETURN(hr);
    }
    hr = SetPacket(packet, pStop);
    if (FAILED(hr) && pStop != nullptr)
        pStop->dwOffset += kLengthSize;  // from the start of the file
    CM_TRACE_RETURN(hr);
}

HRESULT tcConfigFileData::SetPacket(cmPacket& packet, tcConfigFileStop* pStop)
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::SetPacket");
    HRESULT hr = S_OK;
    FieldReader top(packet, packet.GetSize(), pStop);
    const DWORD dwVersionAt = top.Cursor();
    DWORD dwVersion = 0;
    hr = top.Number(dwVersion, "packet version");
    if (FAILED(hr))
        CM_TRACE_RETURN(hr);
    if (dwVersion != 1 && dwVersion != kPacketVersion) {
        CM_TRACE_PRINT(CM_DEBUG_INFO, "Packet Version (%d) != (%d)", static_cast<int>(dwVersion),
                       static_cast<int>(kPacketVersion));
        top.Stop(dwVersionAt, "packet version %u (only 1 and 2 are read)", dwVersion);
        hr = E_INVALIDARG;
        CM_TRACE_RETURN(hr);
    }
    CM_TRACE_PRINT(CM_DEBUG_INFO, "Packet Version (%d)", static_cast<int>(dwVersion));

    // From here each field goes into the object as soon as it is read. The
    // first field that does not fit its block ends the parse with
    // E_INVALIDARG, and what was read before it stays: the notifier uses
    // whatever the object holds, so a damaged tail still leaves the command
    // and the entries before the damage. A product or an entry is added only
    // once all of its fields were read.
    DWORD dwBlockEnd = 0;

    // Product block.
    hr = top.OpenBlock(dwBlockEnd, "product block");
    if (SUCCEEDED(hr)) {
        FieldReader r(packet, dwBlockEnd, pStop);
        cmString szCommand;
        hr = r.String(szCommand, "command");
        if (SUCCEEDED(hr)) {
            m_szCommand = szCommand;
            CM_TRACE_PRINT(CM_DEBUG_INFO, "Command (%s)", m_szCommand.GetText());
        }
        DWORD dwCount = 0;
        if (SUCCEEDED(hr))
            hr = r.Number(dwCount, "product count");
        for (DWORD i = 1; SUCCEEDED(hr) && i <= dwCount; ++i) {
            cmString szName, szVersion;
            hr = r.String(szName, "name of product %u", i);
            if (SUCCEEDED(hr))
                hr = r.String(szVersion, "version of product %u", i);
            if (SUCCEEDED(hr)) {
                CM_TRACE_PRINT(CM_DEBUG_INFO, "Product Name/Version (%s)/(%s)", szName.GetText(), szVersion.GetText());
                m_ProductVersionList.insert(tcProductVersionInfo(szName, szVersion));  // a known name keeps its record
            }
        }
        if (SUCCEEDED(hr))
            top.SkipTo(dwBlockEnd);
    }

    // Description block.
    if (SUCCEEDED(hr))
        hr = top.OpenBlock(dwBlockEnd, "description block");
    if (SUCCEEDED(hr)) {
        FieldReader r(packet, dwBlockEnd, pStop);
        DWORD dwCount = 0;
        hr = r.Number(dwCount, "description count");
        for (DWORD i = 1; SUCCEEDED(hr) && i <= dwCount; ++i) {
            DWORD dwLangId = 0;
            hr = r.Number(dwLangId, "language id of description %u", i);
            if (FAILED(hr))
                break;
            // Read straight into the map's entry; the read replaces an
            // earlier description of the id only when it succeeds.
            auto [it, bInserted] = m_DescriptionList.try_emplace(dwLangId);
            hr = r.Buffer(it->second, "bytes of description %u", i);
            if (FAILED(hr)) {
                if (bInserted)
                    m_DescriptionList.erase(it);
                break;
            }
            CM_TRACE_PRINT(CM_DEBUG_INFO, "Details Lang,Desc (%d),(%s)", static_cast<int>(dwLangId),
                           cmString(reinterpret_cast<LPCSTR>(it->second.GetData()), it->second.GetSize()).GetText());
        }
        if (SUCCEEDED(hr))
            top.SkipTo(dwBlockEnd);
    }

    // HTML block, version 2 only.
    if (SUCCEEDED(hr) && dwVersion == kPacketVersion)
        hr = top.OpenBlock(dwBlockEnd, "HTML block");
    if (SUCCEEDED(hr) && dwVersion == kPacketVersion) {
        FieldReader r(packet, dwBlockEnd, pStop);
        DWORD dwCount = 0;
        hr = r.Number(dwCount, "HTML entry count");
        for (DWORD i = 1; SUCCEEDED(hr) && i <= dwCount; ++i) {
            DWORD dwLangId = 0;
            cmString szPath;
            hr = r.Number(dwLangId, "language id of HTML entry %u", i);
            if (SUCCEEDED(hr))
                hr = r.String(szPath, "path of HTML entry %u", i);
            if (SUCCEEDED(hr)) {
                CM_TRACE_PRINT(CM_DEBUG_INFO, "Details HTML,Desc (%d),(%s)", static_cast<int>(dwLangId),
                               szPath.GetText());
                m_HTMLDescriptionFolderList[dwLangId] = szPath;
            }
        }
        if (SUCCEEDED(hr))
            top.SkipTo(dwBlockEnd);
    }
    CM_TRACE_RETURN(hr);
}

// ------------------------------------------------------------------ writing

HRESULT tcConfigFileData::WriteFile(LPCSTR szFilePath)
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::WriteFile");
    CM_CHECK_ARG(szFilePath!=NULL);
    HRESULT hr = S_OK;
    HANDLE hHandle = CreateFileA(szFilePath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (INVALID_HANDLE_VALUE == hHandle) {
        hr = CM_LOG_FAILED_RESULT(INVALID_HANDLE_VALUE == hHandle, LastErrorResult());
        CM_TRACE_PRINT(CM_DEBUG_INFO, "_com_error Code: 0x%x Text: %s", static_cast<unsigned>(hr),
                       cmErrorMessageText(hr).c_str());
        CM_TRACE_RETURN(hr);
    }
    hr = WriteFileHandle(hHandle);
    CloseHandle(hHandle);
    CM_TRACE_RETURN(hr);
}

HRESULT tcConfigFileData::WriteFileHandle(HANDLE hHandle)
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::WriteFileHandle");
    CM_CHECK_ARG(hHandle!=INVALID_HANDLE_VALUE);
    cmPacket packet;
    HRESULT hr = GetPacket(packet);
    if (FAILED(hr))
        CM_TRACE_RETURN(hr);
    cmPacket length;
    hr = length.WriteNumber(packet.GetSize());
    if (FAILED(hr))
        CM_TRACE_RETURN(hr);
    // A short or failed write is reported: a truncated file would read back
    // as a different (or no) configuration.
    DWORD dwWritten = 0;
    if (!::WriteFile(hHandle, length.GetData(), length.GetSize(), &dwWritten, NULL) ||
        dwWritten != length.GetSize() ||
        !::WriteFile(hHandle, packet.GetData(), packet.GetSize(), &dwWritten, NULL) ||
        dwWritten != packet.GetSize()) {
        hr = LastErrorResult();
        CM_TRACE_RETURN(hr);
    }
    CM_TRACE_RETURN(hr);
}

HRESULT tcConfigFileData::GetPacket(cmPacket& packet) const
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::GetPacket");
    HRESULT hr = S_OK;
    CM_TRACE_PRINT(CM_DEBUG_INFO, "Packet Version (%d)", static_cast<int>(kPacketVersion));

    cmPacket products;
    hr = products.WriteString(m_szCommand);
    CM_TRACE_PRINT(CM_DEBUG_INFO, "Command (%s)", m_szCommand.GetText());
    if (SUCCEEDED(hr))
        hr = products.WriteNumber(static_cast<DWORD>(m_ProductVersionList.size()));
    for (auto it = m_ProductVersionList.begin(); SUCCEEDED(hr) && it != m_ProductVersionList.end(); ++it) {
        CM_TRACE_PRINT(CM_DEBUG_INFO, "Product Name/Version (%s)/(%s)", it->GetName().GetText(),
                       it->GetVersion().GetText());
        hr = products.WriteString(it->GetName());
        if (SUCCEEDED(hr))
            hr = products.WriteString(it->GetVersion());
    }

    cmPacket descriptions;
    if (SUCCEEDED(hr))
        hr = descriptions.WriteNumber(static_cast<DWORD>(m_DescriptionList.size()));
    for (auto it = m_DescriptionList.begin(); SUCCEEDED(hr) && it != m_DescriptionList.end(); ++it) {
        hr = descriptions.WriteNumber(it->first);
        if (SUCCEEDED(hr))
            hr = descriptions.WriteBuffer(it->second);
    }

    cmPacket html;
    if (SUCCEEDED(hr))
        hr = html.WriteNumber(static_cast<DWORD>(m_HTMLDescriptionFolderList.size()));
    for (auto it = m_HTMLDescriptionFolderList.begin(); SUCCEEDED(hr) && it != m_HTMLDescriptionFolderList.end();
         ++it) {
        hr = html.WriteNumber(it->first);
        if (SUCCEEDED(hr))
            hr = html.WriteString(it->second);
    }

    cmPacket result;
    if (SUCCEEDED(hr))
        hr = result.WriteNumber(kPacketVersion);
    if (SUCCEEDED(hr))
        hr = result.WritePacket(products);
    if (SUCCEEDED(hr))
        hr = result.WritePacket(descriptions);
    if (SUCCEEDED(hr))
        hr = result.WritePacket(html);
    if (SUCCEEDED(hr)) {
        result.SetCursor(0);
        packet = std::move(result);
    }
    CM_TRACE_RETURN(hr);
}

// ------------------------------------------------------------------ accessors

HRESULT tcConfigFileData::GetCommand(cmString& szCommand) const
{
    szCommand = m_szCommand;
    return S_OK;
}

HRESULT tcConfigFileData::SetCommand(const cmString& szCommand)
{
    m_szCommand = szCommand;
    return S_OK;
}

HRESULT tcConfigFileData::GetProductVersionList(tcProductVersionList& list) const
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::GetProductVersionList");
    HRESULT hr = S_OK;
    try {
        list = m_ProductVersionList;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
        CM_TRACE_PRINT(CM_DEBUG_WARNING, "error %d <message> <%s>", static_cast<int>(hr), cmErrorMessageText(hr).c_str());
    }
    CM_TRACE_RETURN(hr);
}

HRESULT tcConfigFileData::AddProductVersion(const tcProductVersionInfo& info)
{
    return m_ProductVersionList.insert(info).second ? S_OK : S_FALSE;
}

HRESULT tcConfigFileData::GetDesc(LANGID langId, cmBuffer& bufDescription) const
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::GetDesc");
    HRESULT hr = S_OK;
    const auto it = m_DescriptionList.find(langId);
    if (it == m_DescriptionList.end()) {
        CM_TRACE_PRINT(CM_DEBUG_INFO, "lang id not found %d", static_cast<int>(langId));
        hr = E_FAIL;
        CM_TRACE_RETURN(hr);
    }
    hr = bufDescription.Set(it->second.GetSize(), it->second.GetData());
    CM_TRACE_RETURN(hr);
}

HRESULT tcConfigFileData::SetDesc(DWORD dwLangId, const cmBuffer& bufDescription)
{
    cmBuffer copy(bufDescription);
    if (copy.GetSize() != bufDescription.GetSize())
        return E_OUTOFMEMORY;
    m_DescriptionList[dwLangId] = copy;
    return S_OK;
}

HRESULT tcConfigFileData::GetDescriptionList(tcDescriptionList& list) const
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::GetDescriptionList");
    HRESULT hr = S_OK;
    try {
        list = m_DescriptionList;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
        CM_TRACE_PRINT(CM_DEBUG_WARNING, "error %d <message> <%s>", static_cast<int>(hr), cmErrorMessageText(hr).c_str());
    }
    CM_TRACE_RETURN(hr);
}

HRESULT tcConfigFileData::GetHTMLDescriptionFolderList(tcHTMLDescriptionFolderList& list) const
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::GetHTMLDescriptionFolderList");
    HRESULT hr = S_OK;
    try {
        list = m_HTMLDescriptionFolderList;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
        CM_TRACE_PRINT(CM_DEBUG_WARNING, "error %d <message> <%s>", static_cast<int>(hr), cmErrorMessageText(hr).c_str());
    }
    CM_TRACE_RETURN(hr);
}

HRESULT tcConfigFileData::SetHTMLDescriptionFolderList(const tcHTMLDescriptionFolderList& list)
{
    CM_TRACE_FUNCTION(0x100, "tcConfigFileData::SetHTMLDescriptionFolderList");
    HRESULT hr = S_OK;
    try {
        m_HTMLDescriptionFolderList = list;
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
        CM_TRACE_PRINT(CM_DEBUG_WARNING, "error %d <message> <%s>", static_cast<int>(hr), cmErrorMessageText(hr).c_str());
    }
    CM_TRACE_RETURN(hr);
}

bool tcConfigFileData::operator==(const tcConfigFileData& other) const
{
    if (m_szCommand != other.m_szCommand || m_ProductVersionList != other.m_ProductVersionList ||
        m_HTMLDescriptionFolderList != other.m_HTMLDescriptionFolderList ||
        m_DescriptionList.size() != other.m_DescriptionList.size())
        return false;
    for (auto a = m_DescriptionList.begin(), b = other.m_DescriptionList.begin(); a != m_DescriptionList.end();
         ++a, ++b) {
        if (a->first != b->first || a->second.GetSize() != b->second.GetSize())
            return false;
        if (a->second.GetSize() != 0 &&
            std::char_traits<char>::compare(reinterpret_cast<const char*>(a->second.GetData()),
                                            reinterpret_cast<const char*>(b->second.GetData()),
                                            a->second.GetSize()) != 0)
            return false;
    }
    return true;
}
