#pragma once
// An editor for benchmarks: services that do nothing, a document of `size` bytes.
#include <random>

#include "app/layout.h"
#include "app/startup.h"
#include "core/editor.h"

namespace tarpon::bench {

class NullServices : public Services {
public:
    void messageBox(const std::string&) override {}
    int ask(const std::string&, const std::vector<std::string>&, int, int escapeButton) override { return escapeButton; }
    void openFileMenu() override {}
    void resizeMainWindow(int, int) override {}
    void closeMainWindow() override {}
    void setMainWindowEnabled(bool) override {}
    void openWindow(WindowKind) override {}
    std::string runFileDialog(const FileDialogRequest&) override { return {}; }
    void setClipboardText(const std::string&) override {}
    void setClipboardUtf8Text(const std::string&) override {}
    std::string clipboardUtf8Text() override { return {}; }
};

struct BenchEditor {
    explicit BenchEditor(int32_t size) {
        Form_Load(ed, "");
        Form_Resize(ed, kStartWidth, kStartHeight, false);
        std::mt19937 rng(42);
        ed.s.doc.fileData.resize(static_cast<size_t>(size));
        for (auto& b : ed.s.doc.fileData) b = static_cast<uint8_t>(rng());
        ed.s.doc.fileSize = size;
    }
    NullServices services;
    Editor ed{services};
};

inline constexpr int32_t kLargest = 9437183;

}  // namespace tarpon::bench
