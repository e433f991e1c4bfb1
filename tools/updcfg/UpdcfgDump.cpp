// updcfg dump: shows a configuration file as text or JSON.
//
// Text form, one field per line; control characters in names and paths are
// shown as \xNN:
//   packet version: 2
//   command: setup.exe
//   products: 1
//     Glimmary Pro = 5.1.2
//   descriptions: 1
//     1033: 812 bytes
//   html pages: 1
//     1033: details/en/index.htm
// JSON form: {"packetVersion", "command", "products": [{"name", "version"}],
// "descriptions": [{"language", "size", "text"}], "html": [{"language", "path"}]}.
// Texts are UTF-8; a byte that is not part of valid UTF-8 appears as the
// character of the same number (U+0080 to U+00FF).
#include "tools/updcfg/Updcfg.h"

#include "Notifier/Retail/Common/tcConfigFileData.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace updcfg {

namespace {

std::string TextOf(const cmString& s) { return std::string(s.GetText(), s.GetLengthInTchars()); }

std::string ShowText(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Length of the valid UTF-8 sequence at s[i], or 0.
std::size_t Utf8Length(const std::string& s, std::size_t i)
{
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    unsigned min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size())
        return 0;
    unsigned cp = c & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

std::string Json(const std::string& s)
{
    std::string out = "\"";
    char buf[8];
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t n = Utf8Length(s, i)) {
            out.append(s, i, n);
            i += n;
        } else {
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
            ++i;
        }
    }
    return out + "\"";
}

std::string Plural(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The packet version of a file that parsed, from its bytes 4 to 7.
DWORD PacketVersionOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char b[8] = {};
    in.read(reinterpret_cast<char*>(b), sizeof b);
    return static_cast<DWORD>(b[4]) | (static_cast<DWORD>(b[5]) << 8) | (static_cast<DWORD>(b[6]) << 16) |
           (static_cast<DWORD>(b[7]) << 24);
}

}  // namespace

int Dump(const std::vector<std::string>& args)
{
    std::string file;
    bool json = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage("unknown option '" + a + "'");
        } else if (!file.empty()) {
            return Usage("more than one FILE given ('" + file + "', '" + a + "')");
        } else {
            file = a;
        }
    }
    if (file.empty())
        return Usage("dump needs a FILE");

    tcConfigFileData data;
    tcConfigFileStop stop;
    const HRESULT hr = data.ReadFile(file.c_str(), &stop);
    cmString command;
    tcProductVersionList products;
    tcDescriptionList descriptions;
    tcHTMLDescriptionFolderList html;
    data.GetCommand(command);
    data.GetProductVersionList(products);
    data.GetDescriptionList(descriptions);
    data.GetHTMLDescriptionFolderList(html);

    if (hr == E_INVALIDARG) {
        std::string before = "nothing";
        if (!command.IsEmpty() || !products.empty() || !descriptions.empty() || !html.empty())
            before = "command '" + ShowText(TextOf(command)) + "', " + Plural(products.size(), "product", "products") +
                     ", " + Plural(descriptions.size(), "description", "descriptions") + ", " +
                     Plural(html.size(), "HTML page", "HTML pages");
        return Fail(kExitFile, file + ": cannot be parsed: stopped at byte " + std::to_string(stop.dwOffset) +
                                   " reading the " + stop.szField + "; read before it: " + before);
    }
    if (FAILED(hr))
        return Fail(kExitFile, file + ": cannot be read: " + ErrorText(hr));

    const DWORD version = PacketVersionOf(file);
    std::ostringstream out;
    if (json) {
        out << "{\n  \"packetVersion\": " << version << ",\n  \"command\": " << Json(TextOf(command))
            << ",\n  \"products\": [";
        const char* sep = "";
        for (const tcProductVersionInfo& p : products) {
            out << sep << "\n    {\"name\": " << Json(TextOf(p.GetName())) << ", \"version\": "
                << Json(TextOf(p.GetVersion())) << "}";
            sep = ",";
        }
        out << (products.empty() ? "" : "\n  ") << "],\n  \"descriptions\": [";
        sep = "";
        for (const auto& [lang, bytes] : descriptions) {
            const std::string text(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetSize());
            out << sep << "\n    {\"language\": " << lang << ", \"size\": " << bytes.GetSize()
                << ", \"text\": " << Json(text) << "}";
            sep = ",";
        }
        out << (descriptions.empty() ? "" : "\n  ") << "],\n  \"html\": [";
        sep = "";
        for (const auto& [lang, path] : html) {
            out << sep << "\n    {\"language\": " << lang << ", \"path\": " << Json(TextOf(path)) << "}";
            sep = ",";
        }
        out << (html.empty() ? "" : "\n  ") << "]\n}\n";
    } else {
        out << "packet version: " << version << "\n";
        out << "command: " << ShowText(TextOf(command)) << "\n";
        out << "products: " << products.size() << "\n";
        for (const tcProductVersionInfo& p : products)
            out << "  " << ShowText(TextOf(p.GetName())) << " = " << ShowText(TextOf(p.GetVersion())) << "\n";
        out << "descriptions: " << descriptions.size() << "\n";
        for (const auto& [lang, bytes] : descriptions)
            out << "  " << lang << ": " << Plural(bytes.GetSize(), "byte", "bytes") << "\n";
        out << "html pages: " << html.size() << "\n";
        for (const auto& [lang, path] : html)
            out << "  " << lang << ": " << ShowText(TextOf(path)) << "\n";
    }
    std::cout << out.str();
    std::cout.flush();
    return std::cout ? kExitOk : Fail(kExitFile, "cannot write the output");
}

}  // namespace updcfg
