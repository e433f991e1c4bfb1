// Runs a fuzz target without libFuzzer: every file of the given folders (or
// the given files) is fed to LLVMFuzzerTestOneInput, then a fixed number of
// mutations of them (bit flips, cuts, splices, repeated and random bytes)
// from a fixed seed, so a run is repeatable and ends by itself.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rng {
    std::uint64_t s = 0x9E3779B97F4A7C15ull;
    std::uint64_t Next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }
};

Bytes ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Run(const Bytes& b)
{
    // A copy of exactly the input's size, so reads past the end are caught.
    std::uint8_t* copy = static_cast<std::uint8_t*>(std::malloc(b.size() ? b.size() : 1));
    if (!b.empty())
        std::memcpy(copy, b.data(), b.size());
    LLVMFuzzerTestOneInput(copy, b.size());
    std::free(copy);
}

Bytes Mutate(const std::vector<Bytes>& corpus, Rng& rng)
{
    Bytes b = corpus.empty() ? Bytes() : corpus[rng.Below(corpus.size())];
    const int steps = 1 + static_cast<int>(rng.Below(4));
    for (int i = 0; i < steps; ++i) {
        switch (rng.Below(7)) {
        case 0:  // flip a bit
            if (!b.empty())
                b[rng.Below(b.size())] ^= static_cast<std::uint8_t>(1u << rng.Below(8));
            break;
        case 1:  // cut the tail
            b.resize(rng.Below(b.size() + 1));
            break;
        case 2:  // insert random bytes
        {
            const std::size_t at = rng.Below(b.size() + 1);
            Bytes ins(1 + rng.Below(16));
            for (auto& c : ins)
                c = static_cast<std::uint8_t>(rng.Next());
            b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), ins.begin(), ins.end());
            break;
        }
        case 3:  // splice with another input
            if (!corpus.empty()) {
                const Bytes& o = corpus[rng.Below(corpus.size())];
                const std::size_t from = rng.Below(o.size() + 1);
                b.resize(rng.Below(b.size() + 1));
                b.insert(b.end(), o.begin() + static_cast<std::ptrdiff_t>(from), o.end());
            }
            break;
        case 4:  // an interesting value at a random place
            if (b.size() >= 4) {
                static const std::uint32_t values[] = {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFu};
                const std::uint32_t v = values[rng.Below(6)];
                std::memcpy(&b[rng.Below(b.size() - 3)], &v, 4);
            }
            break;
        case 5:  // repeat a slice
            if (!b.empty() && b.size() < 65536) {
                const std::size_t at = rng.Below(b.size());
                const std::size_t len = 1 + rng.Below(std::min<std::size_t>(64, b.size() - at));
                Bytes slice(b.begin() + static_cast<std::ptrdiff_t>(at),
                            b.begin() + static_cast<std::ptrdiff_t>(at + len));
                for (std::size_t k = 0, n = 1 + rng.Below(64); k < n; ++k)
                    b.insert(b.end(), slice.begin(), slice.end());
            }
            break;
        default:  // random bytes from scratch
            b.assign(rng.Below(256), 0);
            for (auto& c : b)
                c = static_cast<std::uint8_t>(rng.Next());
            break;
        }
    }
    return b;
}

}  // namespace

int main(int argc, char** argv)
{
    long mutations = 0;
    std::vector<Bytes> corpus;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--mutations=", 0) == 0) {
            mutations = std::strtol(a.c_str() + 12, nullptr, 10);
            continue;
        }
        std::error_code ec;
        if (std::filesystem::is_directory(a, ec)) {
            for (const auto& e : std::filesystem::directory_iterator(a))
                if (e.is_regular_file())
                    corpus.push_back(ReadFile(e.path()));
        } else if (std::filesystem::is_regular_file(a, ec)) {
            corpus.push_back(ReadFile(a));
        }
    }
    Run(Bytes());
    for (const Bytes& b : corpus)
        Run(b);
    Rng rng;
    for (long i = 0; i < mutations; ++i)
        Run(Mutate(corpus, rng));
    std::printf("%zu corpus inputs and %ld mutations ran\n", corpus.size(), mutations);
    return 0;
}
