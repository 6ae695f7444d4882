#pragma once
// An editor wired to recording services, laid out at the start-up size.
#include <string>
#include <vector>

#include "app/layout.h"
#include "app/startup.h"
#include "core/editor.h"

namespace tarpon::test {

class FakeServices : public Services {
public:
    void messageBox(const std::string& text) override { messages.push_back(text); }
    int ask(const std::string& text, const std::vector<std::string>& buttons, int, int escapeButton) override {
        questions.push_back(text);
        questionButtons = buttons;
        if (answers.empty()) return escapeButton;
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void openFileMenu() override { ++fileMenuOpened; }
    void resizeMainWindow(int width, int height) override {
        if (editor) Form_Resize(*editor, width, height, false);
    }
    void closeMainWindow() override { ++closed; }
    void setMainWindowEnabled(bool enabled) override { mainEnabled = enabled; }
    void openWindow(WindowKind kind) override { opened.push_back(kind); }
    std::string runFileDialog(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        if (fileDialogAnswers.empty()) return {};
        std::string answer = fileDialogAnswers.front();
        fileDialogAnswers.erase(fileDialogAnswers.begin());
        return answer;
    }
    void setClipboardText(const std::string& text) override {
        clipboard = text;
        clipboardUtf8 = false;
    }
    void setClipboardUtf8Text(const std::string& text) override {
        clipboard = text;
        clipboardUtf8 = true;
    }

    Editor* editor = nullptr;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> questionButtons;  // of the last question
    std::vector<int> answers;                  // given in order; none left: Escape
    int fileMenuOpened = 0;
    int closed = 0;
    bool mainEnabled = true;
    std::vector<WindowKind> opened;
    std::vector<FileDialogRequest> dialogs;
    std::vector<std::string> fileDialogAnswers;  // answered in order; empty: cancel
    std::string clipboard;
    bool clipboardUtf8 = false;
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
    // Replaces the document with `bytes` without touching cursor or page.
    void setDocument(const std::vector<uint8_t>& bytes) {
        ed.s.fileData.assign(bytes.begin(), bytes.end());
        if (bytes.empty()) ed.s.fileData.assign(1, 0);
        ed.s.fileSize = static_cast<int32_t>(bytes.size());
    }
    FakeServices services;
    Editor ed{services};
};

}  // namespace tarpon::test
