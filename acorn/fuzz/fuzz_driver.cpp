// Stand-in for libFuzzer's main where it is unavailable (gcc builds): runs
// a fuzz target over every file of its corpus folders, then over a fixed
// number of deterministic mutations of them. Used as the suite's smoke run.
//
//   fuzz_xxx_smoke [-mutations=N] [-seed=S] DIR_OR_FILE...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

struct XorShift {
    uint32_t state;
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    size_t below(size_t n) { return n == 0 ? 0 : next() % n; }
};

Bytes read_file(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void collect(const std::filesystem::path &path, std::vector<Bytes> &corpus) {
    if (std::filesystem::is_directory(path)) {
        std::vector<std::filesystem::path> files;
        for (const auto &entry : std::filesystem::directory_iterator(path))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const auto &f : files) corpus.push_back(read_file(f));
    } else {
        corpus.push_back(read_file(path));
    }
}

Bytes mutate(const std::vector<Bytes> &corpus, XorShift &rng) {
    Bytes out = corpus[rng.below(corpus.size())];
    int edits = 1 + static_cast<int>(rng.below(4));
    for (int i = 0; i < edits; ++i) {
        switch (rng.below(5)) {
            case 0:  // flip a bit
                if (!out.empty()) out[rng.below(out.size())] ^= static_cast<uint8_t>(1u << rng.below(8));
                break;
            case 1:  // random byte
                if (!out.empty()) out[rng.below(out.size())] = static_cast<uint8_t>(rng.next());
                break;
            case 2:  // cut
                out.resize(rng.below(out.size() + 1));
                break;
            case 3: {  // insert a random byte
                size_t at = rng.below(out.size() + 1);
                out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(rng.next()));
                break;
            }
            default: {  // splice a piece of another input
                const Bytes &other = corpus[rng.below(corpus.size())];
                if (other.empty()) break;
                size_t from = rng.below(other.size());
                size_t len = 1 + rng.below(other.size() - from);
                size_t at = rng.below(out.size() + 1);
                out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), other.begin() + static_cast<std::ptrdiff_t>(from),
                           other.begin() + static_cast<std::ptrdiff_t>(from + len));
                break;
            }
        }
    }
    return out;
}

}  // namespace

int main(int argc, char **argv) {
    long mutations = 1000;
    uint32_t seed = 12345;
    std::vector<Bytes> corpus;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "-mutations=", 11) == 0)
            mutations = std::strtol(argv[i] + 11, nullptr, 10);
        else if (std::strncmp(argv[i], "-seed=", 6) == 0)
            seed = static_cast<uint32_t>(std::strtoul(argv[i] + 6, nullptr, 10));
        else
            collect(argv[i], corpus);
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "no corpus inputs given\n");
        return 2;
    }
    for (const Bytes &input : corpus) LLVMFuzzerTestOneInput(input.data(), input.size());
    XorShift rng{seed ? seed : 1};
    for (long i = 0; i < mutations; ++i) {
        Bytes input = mutate(corpus, rng);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("ran %zu corpus inputs and %ld mutations\n", corpus.size(), mutations);
    return 0;
}
