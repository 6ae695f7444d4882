#pragma once
// What the editor's logic asks of the windowing system beyond its panes.
#include <string>

namespace tarpon {

inline constexpr const char* kAppTitle = "Tarpon's Hex";

class Services {
public:
    virtual ~Services() = default;
    // A message box with only an OK button and the application's title; returns when dismissed.
    virtual void messageBox(const std::string& text) = 0;
    // Open the main window's "&File" menu, as Alt+F does.
    virtual void openFileMenu() = 0;
    // Set the main window's outer size in pixels.
    virtual void resizeMainWindow(int width, int height) = 0;
    virtual void closeMainWindow() = 0;
};

}  // namespace tarpon
