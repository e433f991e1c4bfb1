// updcfg create: a configuration file from the command line.
#include "tools/updcfg/Updcfg.h"

#include "Notifier/Retail/Common/tcConfigFileData.h"
#include "platform/kernel32/FileApi.h"
#include "platform/kernel32/LastError.h"
#include "platform/linux/BoundedFile.h"

#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace updcfg {

namespace {

// A language id: decimal digits that fit 32 bits.
bool ParseLanguage(const std::string& text, DWORD& id)
{
    if (text.empty() || text.size() > 10)
        return false;
    unsigned long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 0xFFFFFFFFull)
        return false;
    id = static_cast<DWORD>(v);
    return true;
}

// Splits "LEFT=RIGHT" at the first '='.
bool SplitPair(const std::string& arg, std::string& left, std::string& right)
{
    const std::size_t eq = arg.find('=');
    if (eq == std::string::npos)
        return false;
    left = arg.substr(0, eq);
    right = arg.substr(eq + 1);
    return true;
}

struct CreateOptions {
    std::string file;
    bool haveCommand = false;
    std::string command;
    std::vector<std::pair<std::string, std::string>> products;
    std::map<DWORD, std::string> descriptions;  // language -> RTF file
    std::map<DWORD, std::string> html;          // language -> relative path
    DWORD packetVersion = 2;
};

int ParseCreate(const std::vector<std::string>& args, CreateOptions& o)
{
    std::set<std::string> names;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--command" || a == "--product" || a == "--description" || a == "--html" ||
                                a == "--packet-version";
        if (!takesValue) {
            if (a.size() > 1 && a[0] == '-')
                return Usage("unknown option '" + a + "'");
            if (!o.file.empty())
                return Usage("more than one FILE given ('" + o.file + "', '" + a + "')");
            o.file = a;
            continue;
        }
        if (i + 1 >= args.size())
            return Usage(a + " needs a value");
        const std::string& v = args[++i];
        std::string left, right;
        DWORD lang = 0;
        if (a == "--command") {
            if (o.haveCommand)
                return Usage("--command given twice");
            o.haveCommand = true;
            o.command = v;
        } else if (a == "--product") {
            if (!SplitPair(v, left, right) || left.empty())
                return Usage("--product wants NAME=VERSION, not '" + v + "'");
            if (!names.insert(left).second)
                return Usage("product '" + left + "' given twice");
            o.products.emplace_back(left, right);
        } else if (a == "--description" || a == "--html") {
            if (!SplitPair(v, left, right) || !ParseLanguage(left, lang) || right.empty())
                return Usage(a + " wants LANG=" + (a == "--html" ? "RELPATH" : "RTFFILE") +
                             " with LANG a decimal language id, not '" + v + "'");
            std::map<DWORD, std::string>& target = a == "--html" ? o.html : o.descriptions;
            if (!target.emplace(lang, right).second)
                return Usage(a + " for language " + left + " given twice");
        } else {
            if (v != "1" && v != "2")
                return Usage("--packet-version is 1 or 2, not '" + v + "'");
            o.packetVersion = v == "1" ? 1 : 2;
        }
    }
    if (o.file.empty())
        return Usage("create needs a FILE");
    if (!o.haveCommand)
        return Usage("create needs --command");
    if (o.packetVersion == 1 && !o.html.empty())
        return Usage("version 1 files have no HTML pages; leave out --html or use --packet-version 2");
    return kExitOk;
}

// A version-1 packet is the version-2 packet without its HTML block.
HRESULT BuildVersionOnePacket(const tcConfigFileData& data, cmPacket& out)
{
    cmPacket v2;
    HRESULT hr = data.GetPacket(v2);
    DWORD ignored = 0;
    cmPacket products, descriptions;
    if (SUCCEEDED(hr))
        hr = v2.ReadNumber(ignored);
    if (SUCCEEDED(hr))
        hr = v2.ReadPacket(products);
    if (SUCCEEDED(hr))
        hr = v2.ReadPacket(descriptions);
    cmPacket v1;
    if (SUCCEEDED(hr))
        hr = v1.WriteNumber(1);
    if (SUCCEEDED(hr))
        hr = v1.WritePacket(products);
    if (SUCCEEDED(hr))
        hr = v1.WritePacket(descriptions);
    out = v1;
    return hr;
}

HRESULT WritePacketFile(const std::string& path, const cmPacket& packet)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return HRESULT_FROM_WIN32(GetLastError());
    cmPacket length;
    HRESULT hr = length.WriteNumber(packet.GetSize());
    DWORD written = 0;
    if (SUCCEEDED(hr) && (!::WriteFile(h, length.GetData(), length.GetSize(), &written, nullptr) ||
                          !::WriteFile(h, packet.GetData(), packet.GetSize(), &written, nullptr)))
        hr = HRESULT_FROM_WIN32(GetLastError());
    CloseHandle(h);
    return hr;
}

}  // namespace

int Create(const std::vector<std::string>& args)
{
    CreateOptions o;
    const int status = ParseCreate(args, o);
    if (status != kExitOk)
        return status;

    tcConfigFileData data;
    data.SetCommand(cmString(o.command.c_str(), static_cast<DWORD>(o.command.size())));
    for (const auto& [name, version] : o.products)
        data.AddProductVersion(tcProductVersionInfo(cmString(name.c_str(), static_cast<DWORD>(name.size())),
                                                    cmString(version.c_str(), static_cast<DWORD>(version.size()))));
    for (const auto& [lang, rtfFile] : o.descriptions) {
        std::string rtf;
        const DWORD read = platform::ReadFileWithin(rtfFile, tcMaxConfigFileSize, platform::OverLimit::Refuse, rtf);
        if (read == ERROR_FILE_TOO_LARGE)
            return Fail(kExitFile, "the description file '" + rtfFile + "' is larger than " +
                                       std::to_string(tcMaxConfigFileSize) + " bytes");
        if (read != ERROR_SUCCESS)
            return Fail(kExitFile, "cannot read the description file '" + rtfFile + "'");
        cmBuffer bytes;
        if (FAILED(bytes.Set(static_cast<DWORD>(rtf.size()), rtf.data())) || FAILED(data.SetDesc(lang, bytes)))
            return Fail(kExitFile, "not enough memory for the description file '" + rtfFile + "'");
    }
    tcHTMLDescriptionFolderList html;
    for (const auto& [lang, path] : o.html)
        html[lang] = cmString(path.c_str(), static_cast<DWORD>(path.size()));
    data.SetHTMLDescriptionFolderList(html);

    HRESULT hr = S_OK;
    if (o.packetVersion == 2) {
        hr = data.WriteFile(o.file.c_str());
    } else {
        cmPacket packet;
        hr = BuildVersionOnePacket(data, packet);
        if (FAILED(hr))
            return Fail(kExitFile, o.file + ": cannot build the file: " + ErrorText(hr));
        hr = WritePacketFile(o.file, packet);
    }
    if (FAILED(hr))
        return Fail(kExitFile, o.file + ": cannot be written: " + ErrorText(hr));
    return kExitOk;
}

}  // namespace updcfg
