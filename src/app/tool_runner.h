#pragma once
// The table of the commands that run without a window, and what every command
// shares: its --help, its usage errors, the checked ending of its output.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/failure.h"
#include "core/output.h"

namespace tarpon {

struct ToolCommand {
    std::string_view name;
    // "Usage: tarpon-hex NAME ..." lines, then what the command does and its options.
    const char* usage;
    // Runs the command (args[0] is its name): nothing when it was done, else why not.
    Outcome (*run)(const std::vector<std::string>& args, Output& out, Output& err);
    // Only reads the options, as run does first: their usage failure, or nothing.
    Outcome (*check)(const std::vector<std::string>& args);
};

// Defined beside the commands, in tool_commands.cpp.
const std::vector<ToolCommand>& toolCommands();

// The first argument names a command.
bool isToolCommand(const std::vector<std::string>& args);
// The commands' names, in the order of the help text.
std::vector<std::string_view> toolCommandNames();

// Runs the command args[0] and delivers its output: the exit status.
int runToolCommand(const std::vector<std::string>& args, Output& out, Output& err);
// The same, its output and complaints kept in strings.
int runToolCommand(const std::vector<std::string>& args, std::string& out, std::string& err);

// Reads a command's options as running it would, and runs nothing: the usage
// failure (status 2), or nothing when they are right or ask for --help.
Outcome checkToolOptions(const std::vector<std::string>& args);

// Delivers what was written: a write that failed turns success into status 1 and
// says why on `err` (which, if it fails too, has nowhere to say it). The status.
int finishOutput(int status, Output& out, Output& err);

// The message for a first argument that looks like a command but names none (see
// the rule in the definition); nothing when it is a command or may be a file.
// `exists`: whether a file (or link) of that name is there.
std::optional<std::string> noSuchCommand(const std::vector<std::string>& args,
                                         const std::function<bool(const std::string&)>& exists);

}  // namespace tarpon
