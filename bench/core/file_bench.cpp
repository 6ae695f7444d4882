// Loading and saving the largest loadable document, each next to the plain system
// calls that do the same work: read() into a fresh buffer, write() + fsync() to a
// new file in the same folder. The files live in $TARPON_BENCH_DIR (default: the
// system's temporary folder), so that a save reaches a real disk when asked to.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "app/document.h"
#include "bench_editor.h"
#include "core/byte_store.h"
#include "edit/insert_delete.h"

namespace tarpon::bench {
namespace {

std::string benchDir() {
    const char* dir = std::getenv("TARPON_BENCH_DIR");
    return dir && *dir ? dir : std::filesystem::temp_directory_path().string();
}

std::vector<uint8_t> randomBytes(size_t size) {
    std::vector<uint8_t> out(size);
    std::mt19937 rng(7);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

std::string writeFile(const std::string& name, size_t size) {
    std::string p = benchDir() + "/" + name;
    const std::vector<uint8_t> bytes = randomBytes(size);
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
    ::close(fd);
    return p;
}

// The document's file, written once; reading it once more before timing leaves
// it in the page cache.
const std::string& documentFile() {
    static const std::string path = writeFile("tarpon-bench-document.bin", static_cast<size_t>(kLargest));
    return path;
}

// The largest document can take no byte more, so the first insert is timed on one
// a few bytes smaller.
const std::string& growableFile() {
    static const std::string path = writeFile("tarpon-bench-growable.bin", static_cast<size_t>(kLargest) - 16);
    return path;
}

// Every large buffer comes fresh from the system, as in a program that has just
// started: otherwise the allocator's adaptive threshold would hand the yardstick
// the same warm, cached block on every iteration.
void freshLargeBuffers() { mallopt(M_MMAP_THRESHOLD, 128 * 1024); }

enum class Buffer { Fresh, FreshHugePages, Reused };

// One read() of the whole file into a buffer: new memory of ordinary pages, new
// memory taken the way the document takes it, or the same warm block every time.
bool plainRead(const std::string& path, Buffer kind, benchmark::State& state) {
    static uint8_t* reused = new uint8_t[static_cast<size_t>(kLargest)];
    const size_t size = static_cast<size_t>(kLargest);
    uint8_t* buf = kind == Buffer::Reused ? reused
                   : kind == Buffer::Fresh ? new uint8_t[size]
                                           : static_cast<uint8_t*>(allocateLarge(size));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t n = ::read(fd, buf, size);
    ::close(fd);
    benchmark::DoNotOptimize(buf);
    if (kind == Buffer::Fresh) delete[] buf;
    if (kind == Buffer::FreshHugePages) freeLarge(buf, size);
    if (n == kLargest) return true;
    state.SkipWithError("short read");
    return false;
}

void BM_LoadFile(benchmark::State& state) {
    freshLargeBuffers();
    BenchEditor b(16);
    const std::string& path = documentFile();
    LoadFile(b.ed, path);
    for (auto _ : state) {
        LoadFile(b.ed, path);
        benchmark::DoNotOptimize(b.ed.s.doc.fileData.data());
    }
    if (b.ed.s.doc.fileSize != kLargest) state.SkipWithError("document not loaded");
    state.SetBytesProcessed(state.iterations() * int64_t{kLargest});
    // How the storage was taken: the room left for inserts, and whether it starts on a huge page.
    const ByteStore& data = b.ed.s.doc.fileData;
    state.counters["spare_KiB"] = static_cast<double>(data.capacity() - data.size()) / 1024;
    state.counters["huge_page_aligned"] = reinterpret_cast<uintptr_t>(data.data()) % kHugePageSize == 0;
}
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMicrosecond);

// The yardsticks for a load: one read() of the whole file.
void BM_PlainRead(benchmark::State& state, Buffer kind) {
    freshLargeBuffers();
    const std::string& path = documentFile();
    plainRead(path, kind, state);
    for (auto _ : state)
        if (!plainRead(path, kind, state)) break;
    state.SetBytesProcessed(state.iterations() * int64_t{kLargest});
}
BENCHMARK_CAPTURE(BM_PlainRead, IntoFreshBuffer, Buffer::Fresh)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlainRead, IntoFreshHugePages, Buffer::FreshHugePages)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PlainRead, IntoReusedBuffer, Buffer::Reused)->Unit(benchmark::kMicrosecond);

void BM_SaveFile(benchmark::State& state) {
    BenchEditor b(16);
    LoadFile(b.ed, documentFile());
    const std::string path = benchDir() + "/tarpon-bench-saved.bin";
    for (auto _ : state) SaveFile(b.ed, path);
    std::filesystem::remove(path);
    state.SetBytesProcessed(state.iterations() * int64_t{kLargest});
}
BENCHMARK(BM_SaveFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor for a save: write() and fsync() of the same bytes to a file in the same folder.
void BM_PlainWriteFsync(benchmark::State& state) {
    const std::vector<uint8_t> bytes = randomBytes(static_cast<size_t>(kLargest));
    const std::string path = benchDir() + "/tarpon-bench-plain.bin";
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const bool ok = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                        ::fsync(fd) == 0;
        if (fd >= 0) ::close(fd);
        if (!ok) {
            state.SkipWithError("write failed");
            break;
        }
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(state.iterations() * int64_t{kLargest});
}
BENCHMARK(BM_PlainWriteFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first one-byte insert at offset 0 right after a load: the spare room the
// load reserved must make it one move of the document, not a copy into new storage.
void BM_FirstInsertAfterLoad(benchmark::State& state) {
    freshLargeBuffers();
    BenchEditor b(16);
    const std::string& path = growableFile();
    for (auto _ : state) {
        state.PauseTiming();
        LoadFile(b.ed, path);
        b.ed.s.view.pageTop = 0;
        b.ed.s.view.cursorRel = 0;
        state.ResumeTiming();
        if (!insertAtCursor(b.ed.s, 1, 0xAA).empty()) state.SkipWithError("insert refused");
        benchmark::DoNotOptimize(b.ed.s.doc.fileData.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t{kLargest});
}
BENCHMARK(BM_FirstInsertAfterLoad)->Unit(benchmark::kMicrosecond);

// The yardstick for the first insert: the first move of a block that read() has
// just filled, in fresh memory taken as the document takes it.
void BM_FirstMoveAfterPlainRead(benchmark::State& state) {
    const std::string& path = growableFile();
    const size_t size = static_cast<size_t>(kLargest) - 16;
    for (auto _ : state) {
        state.PauseTiming();
        auto* buf = static_cast<uint8_t*>(allocateLarge(size + 1));
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const bool ok = ::read(fd, buf, size) == static_cast<ssize_t>(size);
        ::close(fd);
        state.ResumeTiming();
        std::memmove(buf + 1, buf, size);
        benchmark::DoNotOptimize(buf);
        state.PauseTiming();
        freeLarge(buf, size + 1);
        state.ResumeTiming();
        if (!ok) state.SkipWithError("short read");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}
BENCHMARK(BM_FirstMoveAfterPlainRead)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarpon::bench
