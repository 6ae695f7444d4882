// Making and applying patches of a 16 MiB file (a GBA ROM's size) with a few hundred
// scattered edits, next to the yardstick of reading both files. The side-by-side run
// with Floating IPS is scripts/bench_patch.py; these rows time the library alone.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "patch/bps.h"
#include "patch/ips.h"

namespace tarpon::bench {
namespace {

constexpr size_t kRomSize = size_t{16} << 20;

// Blocks of random bytes, stretches of padding and repeated blocks, as a ROM has.
struct Pair {
    ByteStore original, modified;
};

const Pair& romPair() {
    static const Pair pair = [] {
        Pair p;
        std::mt19937 rng(11);
        p.original.reserve(kRomSize);
        while (p.original.size() < kRomSize) {
            const size_t n = 1000 + rng() % 40000;
            const uint32_t kind = rng() % 4;
            for (size_t i = 0; i < n; ++i) {
                const size_t back = p.original.size() > n ? p.original.size() - n : 0;
                p.original.push_back(kind == 0 ? 0xFF : kind == 1 && back ? p.original[back] : static_cast<uint8_t>(rng()));
            }
        }
        p.original.resize(kRomSize);
        p.modified = p.original;
        for (int edit = 0; edit < 300; ++edit) {
            const size_t at = rng() % (kRomSize - 16);
            for (size_t i = 0, n = 1 + rng() % 16; i < n; ++i) p.modified[at + i] = static_cast<uint8_t>(rng());
        }
        return p;
    }();
    return pair;
}

void BM_CreateBps16MiB(benchmark::State& state) {
    const Pair& p = romPair();
    for (auto _ : state) benchmark::DoNotOptimize(createBps(p.original, p.modified));
}
BENCHMARK(BM_CreateBps16MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ApplyBps16MiB(benchmark::State& state) {
    const Pair& p = romPair();
    const PatchResult patch = createBps(p.original, p.modified);
    for (auto _ : state) benchmark::DoNotOptimize(applyBps(patch.bytes, p.original));
    state.counters["patch_bytes"] = static_cast<double>(patch.bytes.size());
}
BENCHMARK(BM_ApplyBps16MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CreateIps16MiB(benchmark::State& state) {
    const Pair& p = romPair();
    for (auto _ : state) benchmark::DoNotOptimize(createIps(p.original, p.modified));
}
BENCHMARK(BM_CreateIps16MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick for applying: read() of both files into fresh buffers, from the page cache.
void BM_ReadBoth16MiBFiles(benchmark::State& state) {
    const char* dir = std::getenv("TARPON_BENCH_DIR");
    const std::string base = (dir && *dir ? std::string(dir) : std::filesystem::temp_directory_path().string()) + "/tarpon-bench-rom";
    const Pair& p = romPair();
    for (const auto& [name, bytes] : {std::pair{base + "-a", &p.original}, std::pair{base + "-b", &p.modified}}) {
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes->data(), bytes->size()) != static_cast<ssize_t>(bytes->size())) std::abort();
        ::close(fd);
    }
    for (auto _ : state) {
        for (const char* suffix : {"-a", "-b"}) {
            ByteStore into(kRomSize);
            const int fd = ::open((base + suffix).c_str(), O_RDONLY | O_CLOEXEC);
            size_t got = 0;
            for (ssize_t n; got < into.size() && (n = ::read(fd, into.data() + got, into.size() - got)) > 0;) got += static_cast<size_t>(n);
            ::close(fd);
            benchmark::DoNotOptimize(into.data());
        }
    }
    std::filesystem::remove(base + "-a");
    std::filesystem::remove(base + "-b");
}
BENCHMARK(BM_ReadBoth16MiBFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tarpon::bench
