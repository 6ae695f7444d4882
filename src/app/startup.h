#pragma once
// Start-up and shutdown of the main window, and the command line.
#include <functional>
#include <string>
#include <vector>

#include "core/output.h"

namespace tarpon {

struct Editor;

void Form_Load(Editor& ed, const std::string& commandLine);
// The window is about to close (Exit or its close button): false keeps it open.
bool Form_QueryUnload(Editor& ed);
void Form_Unload(Editor& ed);

struct CommandLine {
    // Tool: the arguments are a command that runs without a window (tool_commands.h).
    enum class Action { Run, Help, Version, Error, Tool } action = Action::Run;
    std::string path;       // empty: the start-up document
    std::string tablePath;  // --table FILE.tbl; empty: none
    std::string message;    // for Error
};

// Options come first: "--table FILE.tbl" (or "--table=FILE.tbl") names a table to
// load; "--help" and "--version" print and exit; "--" ends the options, so that a
// file whose name starts with a dash can be opened. The next argument is the file,
// taken whole. A first argument that names a command runs it without a window; one
// that looks like a mistyped command is an error (noSuchCommand in tool_runner.h);
// "-" is refused, as standard input cannot be edited. `exists` tells whether a file
// of a name is there (by default, whether the system knows the name).
CommandLine parseCommandLine(const std::vector<std::string>& args);
CommandLine parseCommandLine(const std::vector<std::string>& args,
                             const std::function<bool(const std::string&)>& exists);
std::string helpText();

// Everything the program does without opening its window: --help, --version, a
// command line in error, and the commands. Every write is checked; the exit status.
int runWithoutWindow(const CommandLine& cl, const std::vector<std::string>& args, Output& out, Output& err);

// The --table file, loaded once the main window shows, with Load Table's messages.
// A table that gave letters switches the text pane to the "Table" view: whoever
// names a table on the command line wants to read the file through it.
void LoadStartupTable(Editor& ed, const std::string& path);
std::string versionText();

}  // namespace tarpon
