// The driver of the fuzz targets in the ordinary build: runs every file of the
// seed folders given on the command line, then a bounded number of inputs made
// from them by a pseudo-random generator with a fixed seed, so that a run in
// the test suite is short and the same every time.
//
//   fuzz_<name> [--runs N] [--seed S] [--max-len L] FOLDER_OR_FILE...

#include "FuzzSupport.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bytes that steer the targets into their interesting branches: field
// separators, blanks, signs, prefixes, digits, markup and line ends.
constexpr std::uint8_t kInteresting[] = {0x00, 0x01, 0x09, 0x0A, 0x0D, 0x1F, 0x20, '+',  '-',  '$',
                                         '0',  '1',  '7',  '8',  '9',  'x',  'X',  'f',  'F',  'g',
                                         '&',  '<',  '>',  '"',  ';',  '#',  0x7F, 0x80, 0xC4, 0xB1,
                                         0xD8, 0xDC, 0xEF, 0xBF, 0xBE, 0xFE, 0xFF};

class Mutator {
public:
    Mutator(std::uint64_t seed, std::size_t maxLen) : m_random(seed), m_maxLen(maxLen) {}

    Bytes make(const std::vector<Bytes>& seeds) {
        Bytes data;
        if (!seeds.empty() && below(8) != 0)
            data = seeds[below(seeds.size())];
        else
            data.resize(below(64));
        if (data.empty() && seeds.empty())
            data.resize(1 + below(32));
        const std::size_t steps = 1 + below(8);
        for (std::size_t s = 0; s < steps; ++s)
            mutate(data, seeds);
        if (data.size() > m_maxLen)
            data.resize(m_maxLen);
        return data;
    }

private:
    std::size_t below(std::size_t n) { return n == 0 ? 0 : std::size_t(m_random() % n); }

    std::uint8_t anyByte() {
        return below(2) ? std::uint8_t(m_random()) : kInteresting[below(std::size(kInteresting))];
    }

    void mutate(Bytes& data, const std::vector<Bytes>& seeds) {
        switch (below(7)) {
        case 0: // flip a bit
            if (!data.empty())
                data[below(data.size())] ^= std::uint8_t(1u << below(8));
            break;
        case 1: // replace a byte
            if (!data.empty())
                data[below(data.size())] = anyByte();
            break;
        case 2: // insert a few bytes
            for (std::size_t n = 1 + below(4); n > 0; --n)
                data.insert(data.begin() + std::ptrdiff_t(below(data.size() + 1)), anyByte());
            break;
        case 3: // delete a run
            if (!data.empty()) {
                const std::size_t at = below(data.size());
                const std::size_t len = 1 + below(std::min<std::size_t>(8, data.size() - at));
                data.erase(data.begin() + std::ptrdiff_t(at),
                           data.begin() + std::ptrdiff_t(at + len));
            }
            break;
        case 4: // repeat a run
            if (!data.empty()) {
                const std::size_t at = below(data.size());
                const std::size_t len = 1 + below(std::min<std::size_t>(16, data.size() - at));
                const Bytes run(data.begin() + std::ptrdiff_t(at),
                                data.begin() + std::ptrdiff_t(at + len));
                data.insert(data.begin() + std::ptrdiff_t(below(data.size() + 1)), run.begin(),
                            run.end());
            }
            break;
        case 5: // splice in part of another seed
            if (!seeds.empty()) {
                const Bytes& other = seeds[below(seeds.size())];
                if (!other.empty()) {
                    const std::size_t at = below(other.size());
                    const std::size_t len = 1 + below(other.size() - at);
                    data.insert(data.begin() + std::ptrdiff_t(below(data.size() + 1)),
                                other.begin() + std::ptrdiff_t(at),
                                other.begin() + std::ptrdiff_t(at + len));
                }
            }
            break;
        default: // a long run of one byte, for long texts and large numbers
            data.insert(data.begin() + std::ptrdiff_t(below(data.size() + 1)), 1 + below(300),
                        anyByte());
            break;
        }
    }

    std::mt19937_64 m_random;
    std::size_t m_maxLen;
};

std::string hex(const Bytes& data) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const std::uint8_t b : data) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t runs = 2000;
    std::uint64_t seed = 20240601;
    std::size_t maxLen = 4096;
    std::vector<std::filesystem::path> sources;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::stoul(argv[++i]);
        else if (arg == "--seed" && i + 1 < argc)
            seed = std::stoull(argv[++i]);
        else if (arg == "--max-len" && i + 1 < argc)
            maxLen = std::stoul(argv[++i]);
        else
            sources.emplace_back(arg);
    }

    std::vector<std::filesystem::path> files;
    for (const auto& source : sources) {
        if (std::filesystem::is_directory(source)) {
            for (const auto& entry : std::filesystem::directory_iterator(source))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else {
            files.push_back(source);
        }
    }
    std::sort(files.begin(), files.end());

    std::vector<Bytes> seeds;
    std::string name;
    for (const auto& file : files) {
        seeds.push_back(readFile(file));
        name = file.string();
        g_fuzzInputName = name.c_str();
        LLVMFuzzerTestOneInput(seeds.back().data(), seeds.back().size());
    }

    // A generated input is named by the run's seed and its number and printed
    // whole, so that a failure can be replayed from the message alone.
    Mutator mutator(seed, maxLen);
    for (std::size_t run = 0; run < runs; ++run) {
        const Bytes data = mutator.make(seeds);
        name = "generated #" + std::to_string(run) + " of --seed " + std::to_string(seed) +
               ", bytes " + hex(data);
        g_fuzzInputName = name.c_str();
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    std::printf("%zu seed files and %zu generated inputs passed\n", files.size(), runs);
    return 0;
}
