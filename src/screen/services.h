#pragma once
// What the editor's logic asks of the windowing system beyond its panes.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarpon {

inline constexpr const char* kAppTitle = "Tarpon's Hex";

// The editor's secondary windows. Each is created when opened and starts from its
// designed values; all but Copy, the hit list and the Pointers window disable the main window while they are open.
enum class WindowKind { Jump, Insert, Find, Copy, TableEditor, HitList, Replace, Pointers, DumpScript };
inline constexpr size_t kWindowKinds = 9;

// One run of the platform's file chooser.
struct FileDialogRequest {
    bool save = false;                                      // save dialog, else open dialog
    std::string title;
    std::string startPath;                                  // folder or file to start from
    std::vector<std::pair<std::string, std::string>> filters;  // (description, pattern) pairs
    std::string defaultExtension;                           // added to a name typed without one
    bool fileMustExist = false;
    bool confirmOverwrite = false;
};

// Long work's question, asked every so often: how far it has come (`done` of `total`);
// the answer false means stop.
using KeepGoing = std::function<bool(int64_t done, int64_t total)>;
// How long work ended: to its end, by the user's Cancel, or by a failed allocation.
enum class WorkEnd { Done, Cancelled, OutOfMemory };

class Services {
public:
    virtual ~Services() = default;
    // A message box with only an OK button and the application's title; returns when dismissed.
    virtual void messageBox(const std::string& text) = 0;
    // A question with the application's title and these buttons, in order; returns
    // the index of the one chosen. Enter chooses defaultButton; Escape, or closing
    // the box, escapeButton.
    virtual int ask(const std::string& text, const std::vector<std::string>& buttons, int defaultButton,
                    int escapeButton) = 0;
    // Open the main window's "&File" menu, as Alt+F does.
    virtual void openFileMenu() = 0;
    // Set the main window's outer size in pixels.
    virtual void resizeMainWindow(int width, int height) = 0;
    virtual void closeMainWindow() = 0;
    virtual void setMainWindowEnabled(bool enabled) = 0;
    // Shows the window without waiting for it to close; raises it if already open.
    virtual void openWindow(WindowKind kind) = 0;
    // Waits for the user's choice; empty when cancelled.
    virtual std::string runFileDialog(const FileDialogRequest& request) = 0;
    // Plain text, one byte per character (Latin-1).
    virtual void setClipboardText(const std::string& text) = 0;
    // Plain text given as UTF-8.
    virtual void setClipboardUtf8Text(const std::string& text) = 0;
    // The clipboard's plain text as UTF-8; empty when it holds none.
    virtual std::string clipboardUtf8Text() = 0;
    // Runs `work` and returns when it has ended. The window runs it off its own thread
    // behind a progress window (`caption`, with Cancel) shown after a short delay; the
    // main window repaints meanwhile but takes no input. `work` reads only what it is
    // given and changes nothing the window shows. Here: run at once, never cancelled.
    virtual WorkEnd runLongWork(const std::string& caption, const std::function<void(const KeepGoing&)>& work) {
        (void)caption;
        try {
            work([](int64_t, int64_t) { return true; });
        } catch (const std::bad_alloc&) {
            return WorkEnd::OutOfMemory;
        } catch (const std::length_error&) {
            return WorkEnd::OutOfMemory;
        }
        return WorkEnd::Done;
    }
};

}  // namespace tarpon
