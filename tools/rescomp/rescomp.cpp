// rescomp: compiles the resource sources (string table files, one per
// language, and a manifest of binary resources) into a C++ source for the
// platform layer's resource table.
//
//   rescomp --output FILE.cpp [--depfile FILE.d] [--manifest MANIFEST]
//           [--module NAME] [STRINGS.txt ...]
//
// Exit status 0 on success, 1 when an input is wrong (one message on
// standard error naming file and line), 2 on bad usage.
#include "tools/rescomp/RescompInput.h"
#include "tools/rescomp/RescompOutput.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Usage(const char* why)
{
    std::fprintf(stderr, "rescomp: %s\nusage: rescomp --output FILE.cpp [--depfile FILE.d] [--manifest MANIFEST] "
                         "[--module NAME] [STRINGS.txt ...]\n", why);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string output, depfile, manifest, module;
    std::vector<std::string> tables;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& into) -> bool {
            if (i + 1 >= argc)
                return false;
            into = argv[++i];
            return true;
        };
        if (a == "--output") {
            if (!value(output))
                return Usage("--output needs a file");
        } else if (a == "--depfile") {
            if (!value(depfile))
                return Usage("--depfile needs a file");
        } else if (a == "--manifest") {
            if (!value(manifest))
                return Usage("--manifest needs a file");
        } else if (a == "--module") {
            if (!value(module) || module.empty())
                return Usage("--module needs a name");
        } else if (a.compare(0, 2, "--") == 0) {
            return Usage(("unknown option " + a).c_str());
        } else {
            tables.push_back(a);
        }
    }
    if (output.empty())
        return Usage("no --output given");

    std::vector<rescomp::Resource> resources;
    std::vector<std::string> inputs;
    std::string error;
    std::vector<unsigned> languages;
    for (const std::string& path : tables) {
        rescomp::StringTable table;
        if (!rescomp::ReadStringTable(path, table, error)) {
            std::fprintf(stderr, "rescomp: %s\n", error.c_str());
            return 1;
        }
        for (unsigned l : languages) {
            if (l == table.language) {
                std::fprintf(stderr, "rescomp: %s: a second string table for language %u\n", path.c_str(), l);
                return 1;
            }
        }
        languages.push_back(table.language);
        inputs.push_back(path);
        for (rescomp::Resource& r : rescomp::BuildStringBlocks(table))
            resources.push_back(std::move(r));
    }
    if (!manifest.empty()) {
        inputs.push_back(manifest);
        if (!rescomp::ReadManifest(manifest, resources, inputs, error)) {
            std::fprintf(stderr, "rescomp: %s\n", error.c_str());
            return 1;
        }
    }
    if (!rescomp::WriteFileAtomically(output, rescomp::GenerateSource(resources, module))) {
        std::fprintf(stderr, "rescomp: cannot write %s\n", output.c_str());
        return 1;
    }
    if (!depfile.empty() && !rescomp::WriteFileAtomically(depfile, rescomp::GenerateDepfile(output, inputs))) {
        std::fprintf(stderr, "rescomp: cannot write %s\n", depfile.c_str());
        return 1;
    }
    return 0;
}
