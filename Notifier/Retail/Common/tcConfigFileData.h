// tcConfigFileData: the content of an update folder's "Update.cfg" (the
// installer command, the products and their new versions, an RTF description
// per language and a details-page path per language) and its conversion to
// and from the file. The notifier reads the file (update metadata, ignoring
// an update); updcfg and tests write it.
//
// File: one counted block (a 32-bit little-endian length, then the bytes of a
// packet). The packet holds the version (2 when written, 1 or 2 read), then
// the product block, the description block and, in version 2 only, the HTML
// block, each as a counted block:
//   product block      command, product count, then name and version per product
//   description block  count, then language id and counted RTF bytes per entry
//   HTML block         count, then language id and path per entry
// Bytes after the last field of a block or of the packet are ignored.
#pragma once

#include "CustomCode/Common/cmBuffer.h"
#include "CustomCode/Common/cmPacket.h"
#include "CustomCode/Common/cmString.h"
#include "Notifier/Retail/Common/tcProductVersionInfo.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

#include <map>
#include <set>
#include <string>

// The largest "Update.cfg" that is read (descriptions in every language
// included); a larger file is refused before any of it is read, so that a
// huge or sparse file cannot hold the reader or its memory.
constexpr DWORD tcMaxConfigFileSize = 64u << 20;

// Products by name; a name is there at most once.
using tcProductVersionList = std::set<tcProductVersionInfo>;
// Language id to the path of a details page, relative to the update folder.
using tcHTMLDescriptionFolderList = std::map<DWORD, cmString>;
// Language id to the bytes of an RTF description.
using tcDescriptionList = std::map<DWORD, cmBuffer>;

// Where a read of a malformed file stopped: the byte offset of the field that
// could not be read (from the start of the file for the file reads, of the
// packet's bytes for SetPacket) and what that field is.
struct tcConfigFileStop {
    DWORD dwOffset = 0;
    std::string szField;
};

class tcConfigFileData {
public:
    tcConfigFileData();
    tcConfigFileData(const tcConfigFileData& other) = default;
    tcConfigFileData& operator=(const tcConfigFileData& other) = default;
    virtual ~tcConfigFileData();

    // Reads the file (CreateFileA GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)
    // through ReadFileHandle and closes it whatever happened. A file that
    // cannot be opened gives the last Win32 error as a result code.
    HRESULT ReadFile(LPCSTR szFilePath, tcConfigFileStop* pStop = nullptr);
    // Reads the length and the packet from an open file, then SetPacket.
    // E_INVALIDARG for INVALID_HANDLE_VALUE and for a file that ends before
    // the length or the bytes it announces; a failed read gives its error.
    HRESULT ReadFileHandle(HANDLE hHandle, tcConfigFileStop* pStop = nullptr);
    // Parses a packet from its cursor into the object, inserting into what it
    // already holds: a product whose name is present is dropped, a repeated
    // language id replaces. E_INVALIDARG for a version other than 1 or 2 (the
    // object is unchanged) and for a field that does not fit its block (what
    // was parsed before it stays in the object; pStop says where it stopped).
    HRESULT SetPacket(cmPacket& packet, tcConfigFileStop* pStop = nullptr);

    // Creates or truncates the file (GENERIC_WRITE, no sharing, CREATE_ALWAYS),
    // writes it through WriteFileHandle and closes it whatever happened.
    HRESULT WriteFile(LPCSTR szFilePath);
    // Writes the length and the bytes of GetPacket. E_INVALIDARG for
    // INVALID_HANDLE_VALUE; a failed or short write gives its error.
    HRESULT WriteFileHandle(HANDLE hHandle);
    // Replaces the packet with the object in version 2, cursor at 0.
    // E_OUTOFMEMORY when the packet cannot grow that far.
    HRESULT GetPacket(cmPacket& packet) const;

    HRESULT GetCommand(cmString& szCommand) const;
    HRESULT SetCommand(const cmString& szCommand);
    HRESULT GetProductVersionList(tcProductVersionList& list) const;
    // Adds a product; S_FALSE (and the existing record stays) when one of that
    // name is there already.
    HRESULT AddProductVersion(const tcProductVersionInfo& info);
    // The description stored for exactly that language id, replacing the
    // buffer's content. E_FAIL, buffer untouched, when there is none: no
    // other language stands in.
    HRESULT GetDesc(LANGID langId, cmBuffer& bufDescription) const;
    // Stores a description under the id, replacing one stored before.
    HRESULT SetDesc(DWORD dwLangId, const cmBuffer& bufDescription);
    HRESULT GetDescriptionList(tcDescriptionList& list) const;
    HRESULT GetHTMLDescriptionFolderList(tcHTMLDescriptionFolderList& list) const;
    // Replaces the whole map.
    HRESULT SetHTMLDescriptionFolderList(const tcHTMLDescriptionFolderList& list);

    // Same command, products, descriptions and HTML paths.
    bool operator==(const tcConfigFileData& other) const;
    bool operator!=(const tcConfigFileData& other) const { return !(*this == other); }

private:
    tcHTMLDescriptionFolderList m_HTMLDescriptionFolderList;
    tcProductVersionList m_ProductVersionList;
    tcDescriptionList m_DescriptionList;
    cmString m_szCommand;
};
