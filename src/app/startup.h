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
    std::string path;       // empty: the start-up document
    std::string tablePath;  // --table FILE.tbl; empty: none
    std::string message;    // for Error
};

// Options come first: "--table FILE.tbl" (or "--table=FILE.tbl") names a table to
// load; "--help" and "--version" print and exit; "--" ends the options, so that a
// file whose name starts with a dash can be opened. The next argument is the file,
// taken whole.
CommandLine parseCommandLine(const std::vector<std::string>& args);
std::string helpText();

// The --table file, loaded once the main window shows, with Load Table's messages.
// A table that gave letters switches the text pane to the "Table" view: whoever
// names a table on the command line wants to read the file through it.
void LoadStartupTable(Editor& ed, const std::string& path);
std::string versionText();

}  // namespace tarpon
