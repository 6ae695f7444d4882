#pragma once
// What the tests share: an editor wired to recording services and laid out at the
// start-up size, and a fresh directory with files in it.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/layout.h"
#include "app/startup.h"
#include "core/editor.h"

namespace tarpon::test {

class FakeServices : public Services {
public:
    void messageBox(const std::string& text) override { messages.push_back(text); }
    int ask(const std::string& text, const std::vector<std::string>&, int, int escapeButton) override {
        questions.push_back(text);
        return next(answers, escapeButton);
    }
    void openFileMenu() override {}
    void resizeMainWindow(int width, int height) override { if (editor) Form_Resize(*editor, width, height, false); }
    void closeMainWindow() override { ++closed; }
    void setMainWindowEnabled(bool) override {}
    void openWindow(WindowKind) override {}
    std::string runFileDialog(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        return next(fileDialogAnswers, std::string());
    }
    void setClipboardText(const std::string& text) override { clipboard = text, clipboardUtf8 = false; }
    void setClipboardUtf8Text(const std::string& text) override { clipboard = text, clipboardUtf8 = true; }
    std::string clipboardUtf8Text() override { return clipboard; }
    // Long work runs here; with cancelAfter, the user cancels at that many of its questions.
    WorkEnd runLongWork(const std::string& caption, const std::function<void(const KeepGoing&)>& work) override {
        works.push_back(caption);
        int asked = 0;
        bool cancelled = false;
        const WorkEnd end = Services::runLongWork(caption, [&](const KeepGoing&) {
            work([&](int64_t, int64_t) {
                cancelled = cancelled || (cancelAfter >= 0 && asked++ >= cancelAfter);
                return !cancelled;
            });
        });
        return end == WorkEnd::Done && cancelled ? WorkEnd::Cancelled : end;
    }

    Editor* editor = nullptr;
    std::vector<std::string> messages, questions;
    std::vector<int> answers;  // given in order; none left: Escape
    int closed = 0;
    std::vector<FileDialogRequest> dialogs;
    std::vector<std::string> fileDialogAnswers;  // answered in order; none left: cancel
    std::string clipboard;
    bool clipboardUtf8 = false;
    std::vector<std::string> works;  // the captions of the long work run
    int cancelAfter = -1;            // -1: never cancelled

private:
    template <typename T>
    static T next(std::vector<T>& queue, T none) {
        if (queue.empty()) return none;
        T first = queue.front();
        queue.erase(queue.begin());
        return first;
    }
};

// n bytes, each the low byte of its own offset.
inline std::vector<uint8_t> countingBytes(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}

struct TestEditor {
    explicit TestEditor(const std::string& commandLine = "") {
        services.editor = &ed;
        Form_Load(ed, commandLine);
        Form_Resize(ed, kStartWidth, kStartHeight, false);  // the window's first display
    }
    explicit TestEditor(const std::vector<uint8_t>& bytes) : TestEditor() { setDocument(bytes); }
    // Replaces the document with `bytes` without touching cursor or page.
    void setDocument(const std::vector<uint8_t>& bytes) {
        ed.s.doc.fileData.assign(bytes.begin(), bytes.end());
        if (bytes.empty()) ed.s.doc.fileData.assign(1, 0);
        ed.s.doc.fileSize = static_cast<int32_t>(bytes.size());
        ed.s.doc.letters.reset();  // as a load does: the letters read so far were another document's
    }
    std::vector<uint8_t> document() const { return {ed.s.doc.fileData.begin(), ed.s.doc.fileData.begin() + ed.s.doc.fileSize}; }
    FakeServices services;
    Editor ed{services};
};

// A fresh directory for one test, removed afterwards.
struct TempDir {
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarpon-test-XXXXXX").string();
        if (::mkdtemp(pattern.data())) dir = pattern;
    }
    ~TempDir() {
        std::error_code ignored;  // a test that failed may leave it unremovable; never throw here
        std::filesystem::remove_all(dir, ignored);
    }
    std::string file(const std::string& name) const { return dir + "/" + name; }
    std::string dir;
};

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void writeText(const std::string& path, const std::string& text) {
    writeBytes(path, {text.begin(), text.end()});
}

// A regular file's bytes; nothing for anything else (reading a FIFO would block).
inline std::vector<uint8_t> readBytes(const std::string& path) {
    if (!std::filesystem::is_regular_file(path)) return {};
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline std::string readText(const std::string& path) {
    const std::vector<uint8_t> bytes = readBytes(path);
    return {bytes.begin(), bytes.end()};
}

}  // namespace tarpon::test
