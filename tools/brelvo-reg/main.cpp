// brelvo-reg: command line parsing and dispatch.
#include "tools/brelvo-reg/RegTool.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <string_view>

namespace {

using namespace brelvoreg;

constexpr const char* kUsage =
    "usage: brelvo-reg query KEY [/v NAME | /ve] [/s]\n"
    "       brelvo-reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
    "       brelvo-reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "       brelvo-reg export KEY FILE [/y]\n"
    "       brelvo-reg import FILE\n"
    "KEY is ROOT\\PATH with ROOT one of HKLM, HKCU, HKU, HKCR (or HKEY_LOCAL_MACHINE, ...).\n"
    "TYPE is REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_DWORD_BIG_ENDIAN,\n"
    "REG_QWORD, REG_BINARY or REG_NONE. The store is $BRELVO_REGISTRY.\n";

std::string Lower(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

// The switch's name without its '/' or '-' when arg is one of the known
// switches, else empty: anything else (a path such as /tmp/x.reg) is an operand.
std::string SwitchName(const std::string& arg)
{
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
        return {};
    const std::string name = Lower(std::string_view(arg).substr(1));
    for (const char* known : {"v", "ve", "va", "s", "f", "y", "t", "d"})
        if (name == known)
            return name;
    return {};
}

int Usage(const std::string& problem)
{
    std::cerr << "brelvo-reg: " << problem << " (brelvo-reg /? shows the usage)\n";
    return kExitUsage;
}

// Parses the words after the command; the switches allowed depend on it.
int ParseOptions(const std::string& command, int argc, char** argv, Options& o)
{
    const bool isAdd = command == "add";
    auto allowed = [&](const std::string& sw) {
        if (command == "query")
            return sw == "v" || sw == "ve" || sw == "s";
        if (command == "add")
            return sw == "v" || sw == "ve" || sw == "t" || sw == "s" || sw == "d" || sw == "f";
        if (command == "delete")
            return sw == "v" || sw == "ve" || sw == "va" || sw == "f";
        if (command == "export")
            return sw == "y";
        return false;
    };
    std::vector<std::string> seen;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::string sw = SwitchName(arg);
        if (sw.empty()) {
            o.positional.push_back(arg);
            continue;
        }
        if (!allowed(sw))
            return Usage("the switch " + arg + " is not valid for " + command);
        if (std::find(seen.begin(), seen.end(), sw) != seen.end())
            return Usage("the switch " + arg + " is given twice");
        seen.push_back(sw);
        const bool takesArgument = sw == "v" || sw == "t" || sw == "d" || (sw == "s" && isAdd);
        if (takesArgument && i + 1 >= argc)
            return Usage("the switch " + arg + " needs an argument");
        if (sw == "v") {
            o.hasValueName = true;
            o.valueName = argv[++i];
        } else if (sw == "ve") {
            o.defaultValue = true;
        } else if (sw == "va") {
            o.allValues = true;
        } else if (sw == "s" && isAdd) {
            o.hasSeparator = true;
            o.separator = argv[++i];
        } else if (sw == "s") {
            o.recursive = true;
        } else if (sw == "f") {
            o.force = true;
        } else if (sw == "y") {
            o.overwriteFile = true;
        } else if (sw == "t") {
            o.hasType = true;
            o.type = argv[++i];
        } else if (sw == "d") {
            o.hasData = true;
            o.data = argv[++i];
        }
    }
    if (int(o.hasValueName) + int(o.defaultValue) + int(o.allValues) > 1)
        return Usage("/v, /ve and /va exclude each other");
    const std::size_t operands = (command == "export") ? 2 : 1;
    if (o.positional.size() != operands)
        return Usage(command + " needs " + (operands == 2 ? "a key and a file" : command == "import" ? "a file" : "a key"));
    if (o.hasSeparator && o.separator.size() != 1)
        return Usage("/s needs a single separator character");
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage("no command given");
    const std::string command = Lower(argv[1]);
    if (command == "/?" || command == "-h" || command == "--help" || command == "help") {
        std::cout << kUsage;
        return kExitOk;
    }
    int (*run)(const Options&) = nullptr;
    if (command == "query")
        run = RunQuery;
    else if (command == "add")
        run = RunAdd;
    else if (command == "delete")
        run = RunDelete;
    else if (command == "export")
        run = RunExport;
    else if (command == "import")
        run = RunImport;
    else
        return Usage("unknown command '" + std::string(argv[1]) + "'");
    Options o;
    if (const int st = ParseOptions(command, argc, argv, o); st != kExitOk)
        return st;
    return run(o);
}
