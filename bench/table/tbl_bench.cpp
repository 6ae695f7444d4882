// Loading a table of 7,000 two-byte Shift-JIS keys (the shape of the kanji tables
// translators publish), next to its yardstick: reading the same file and
// converting it whole to UTF-8 with one iconv call. The file lives in
// $TARPON_BENCH_DIR (default: the system's temporary folder).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <iconv.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/file_io.h"
#include "core/text_encoding.h"
#include "table/tbl_file.h"

namespace tarpon::bench {
namespace {

constexpr int kKanjiEntries = 7000;

std::string benchDir() {
    const char* dir = std::getenv("TARPON_BENCH_DIR");
    return dir && *dir ? dir : std::filesystem::temp_directory_path().string();
}

// "889F=亜" CR LF and on: every two-byte code from 0x889F up that is a character of
// code page 932, its own letter, until there are kKanjiEntries lines.
std::string kanjiTableBytes() {
    std::string out;
    int lines = 0;
    for (int lead = 0x88; lead <= 0xFC && lines < kKanjiEntries; ++lead) {
        if (lead > 0x9F && lead < 0xE0) continue;
        for (int trail = lead == 0x88 ? 0x9F : 0x40; trail <= 0xFC && lines < kKanjiEntries; ++trail) {
            const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
            if (trail == 0x7F || !decodeText(code, TextEncoding::ShiftJis)) continue;
            out += hexKey(code) + "=" + code + "\r\n";
            ++lines;
        }
    }
    return out;
}

const std::string& kanjiTableFile() {
    static const std::string path = [] {
        std::string p = benchDir() + "/tarpon-bench-kanji.tbl";
        const std::string bytes = kanjiTableBytes();
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
        ::close(fd);
        return p;
    }();
    return path;
}

void BM_LoadKanjiTable(benchmark::State& state) {
    const std::string& path = kanjiTableFile();
    for (auto _ : state) {
        Table table;
        TableSource source;
        const TblLoadResult result = loadTblFile(path, table, source);
        if (result.status != TblLoadStatus::Loaded || table.entries().size() != kKanjiEntries) std::abort();
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(BM_LoadKanjiTable)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ReadAndIconvKanjiTable(benchmark::State& state) {
    const std::string& path = kanjiTableFile();
    for (auto _ : state) {
        ReadResult read = readWholeFile(path, kMaxTblFileSize);
        iconv_t cd = iconv_open("UTF-8", "CP932");
        std::string out(read.bytes.size() * 2, '\0');
        char* in = reinterpret_cast<char*>(read.bytes.data());
        size_t inLeft = read.bytes.size(), outLeft = out.size();
        char* dst = out.data();
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) std::abort();
        iconv_close(cd);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_ReadAndIconvKanjiTable)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Writing that table back unchanged, as Save Table does: the file's lines are found
// and read again, then every line is kept as it was.
void BM_WriteKanjiTableUnchanged(benchmark::State& state) {
    Table table;
    TableSource source;
    if (loadTblFile(kanjiTableFile(), table, source).status != TblLoadStatus::Loaded) std::abort();
    for (auto _ : state) {
        const std::optional<std::string> bytes = writeTbl(table, source);
        if (!bytes || bytes->size() != source.bytes.size()) std::abort();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_WriteKanjiTableUnchanged)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same load with memory the process already holds: the C library keeps what it
// was given instead of handing it back after each load. On this machine the first
// touch of each new page costs a fault of several microseconds, and a load takes
// new memory for its entries; this shows the load without that. Runs last, as the
// setting stays for the process.
void BM_LoadKanjiTableHeldMemory(benchmark::State& state) {
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    BM_LoadKanjiTable(state);
}
BENCHMARK(BM_LoadKanjiTableHeldMemory)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace tarpon::bench
