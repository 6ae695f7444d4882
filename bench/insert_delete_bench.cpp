// Insert and delete at the start of the largest loadable document, next to one
// plain block move of the same length: each edit should cost about one move.
#include <benchmark/benchmark.h>

#include <cstring>

#include "app/editor.h"
#include "app/insert_delete.h"

namespace tarpon {
namespace {

class NoServices : public Services {
public:
    void messageBox(const std::string&) override {}
    void openFileMenu() override {}
    void resizeMainWindow(int, int) override {}
    void closeMainWindow() override {}
    void setMainWindowEnabled(bool) override {}
    void openWindow(WindowKind) override {}
    std::string runFileDialog(const FileDialogRequest&) override { return {}; }
    void setClipboardText(const std::string&) override {}
};

constexpr int32_t kLargest = kMaxFileSize - 1;

// One delete and one insert at offset 0 per iteration, so the document keeps its size.
void BM_DeleteThenInsertAtStart(benchmark::State& state) {
    NoServices services;
    Editor ed(services);
    ed.s.fileData.assign(static_cast<size_t>(kLargest), 0x5A);
    ed.s.fileSize = kLargest;
    for (auto _ : state) {
        DeleteByte(ed);
        if (!insertAtCursor(ed.s, 1, 0xAA).empty()) state.SkipWithError("insert refused");
        benchmark::DoNotOptimize(ed.s.fileData.data());
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.SetBytesProcessed(state.iterations() * 2 * int64_t{kLargest});
}
BENCHMARK(BM_DeleteThenInsertAtStart)->Unit(benchmark::kMicrosecond);

// The floor: one move of the whole document by one place.
void BM_OneBlockMoveOfTheDocument(benchmark::State& state) {
    std::vector<uint8_t> data(static_cast<size_t>(kLargest) + 1, 0x5A);
    for (auto _ : state) {
        std::memmove(data.data() + 1, data.data(), static_cast<size_t>(kLargest));
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * int64_t{kLargest});
}
BENCHMARK(BM_OneBlockMoveOfTheDocument)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarpon
