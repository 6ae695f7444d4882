#pragma once
// Start-up and shutdown of the main window, and the command line.
#include <string>
#include <vector>

namespace tarpon {

struct Editor;

void Form_Load(Editor& ed, const std::string& commandLine);
// The window is about to close (Exit or its close button): false keeps it open.
bool Form_QueryUnload(Editor& ed);
void Form_Unload(Editor& ed);

struct CommandLine {
    enum class Action { Run, Help, Version, Error } action = Action::Run;
    std::string path;     // empty: the start-up document
    std::string message;  // for Error
};

// The first argument is the file, taken whole; "--help" and "--version" print and
// exit, and "--" lets a file whose name starts with a dash be opened.
CommandLine parseCommandLine(const std::vector<std::string>& args);
std::string helpText();
std::string versionText();

}  // namespace tarpon
