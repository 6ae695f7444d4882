#include "app/tool_runner.h"

#include <algorithm>


namespace tarpon {
namespace {

const ToolCommand* commandNamed(std::string_view name) {
    for (const ToolCommand& c : toolCommands())
        if (c.name == name) return &c;
    return nullptr;
}

// "--help" (or "-h") among the options, before a "--" that ends them.
bool asksForHelp(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size() && args[i] != "--"; ++i)
        if (args[i] == "--help" || args[i] == "-h") return true;
    return false;
}

// The least number of letters to add, remove or change to make one word the other.
size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

void writeFailure(Output& err, const Failure& f) {
    if (!f.message.empty()) err.write("tarpon-hex: " + f.message + "\n");
}

int runCommand(const std::vector<std::string>& args, Output& out, Output& err) {
    const ToolCommand* command = args.empty() ? nullptr : commandNamed(args[0]);
    if (!command) {
        writeFailure(err, usageFailure("no command"));
        return kExitUsage;
    }
    if (asksForHelp(args)) {
        out.write(command->usage);
        return kExitDone;
    }
    const Outcome failed = command->run(args, out, err);
    if (!failed) return kExitDone;
    writeFailure(err, *failed);
    if (failed->status == kExitUsage) err.write("Try 'tarpon-hex " + args[0] + " --help'.\n");
    return failed->status;
}

}  // namespace

int finishOutput(int status, Output& out, Output& err) {
    if (const Outcome failed = out.finish()) {
        writeFailure(err, *failed);
        if (status == kExitDone) status = kExitFailed;
    }
    if (err.finish() && status == kExitDone) status = kExitFailed;
    return status;
}

bool isToolCommand(const std::vector<std::string>& args) { return !args.empty() && commandNamed(args[0]); }

std::vector<std::string_view> toolCommandNames() {
    std::vector<std::string_view> names;
    for (const ToolCommand& c : toolCommands()) names.push_back(c.name);
    return names;
}

int runToolCommand(const std::vector<std::string>& args, Output& out, Output& err) {
    return finishOutput(runCommand(args, out, err), out, err);
}

int runToolCommand(const std::vector<std::string>& args, std::string& out, std::string& err) {
    StringOutput o(out), e(err);
    return runToolCommand(args, o, e);
}

Outcome checkToolOptions(const std::vector<std::string>& args) {
    const ToolCommand* command = args.empty() ? nullptr : commandNamed(args[0]);
    if (!command) return usageFailure("no command");
    if (asksForHelp(args)) return std::nullopt;
    return command->check(args);
}

// A first argument of lower-case letters only, that names no file, is taken for a
// mistyped command when more arguments follow it (a file is opened alone) or when
// it lies within two letters of a command's name ("dumpp", "fnd"). Any other first
// argument may be a file to open or create.
std::optional<std::string> noSuchCommand(const std::vector<std::string>& args,
                                         const std::function<bool(const std::string&)>& exists) {
    if (args.empty() || isToolCommand(args)) return std::nullopt;
    const std::string& word = args[0];
    if (word.empty() || !std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
        return std::nullopt;
    std::string_view nearest;
    size_t best = SIZE_MAX;
    std::string names;
    for (const std::string_view name : toolCommandNames()) {
        names += (names.empty() ? "" : ", ") + std::string(name);
        if (const size_t d = editDistance(word, name); d < best) best = d, nearest = name;
    }
    if ((args.size() < 2 && best > 2) || exists(word)) return std::nullopt;
    std::string message = "no such command '" + word + "'";
    if (best <= 2) message += " (did you mean '" + std::string(nearest) + "'?)";
    return message + "; the commands are " + names + ". To open or create a file of that name, write ./" + word + ".";
}

}  // namespace tarpon
