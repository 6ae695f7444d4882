// libFuzzer target for the command line's option readers: the arguments (split at
// each NUL byte) read as the program's start would, and as each command's options.
// Never a crash, and never runs anything: the start gives one of its actions (a
// mistyped command, "-" and wrong options an error message), a command's options
// are right or a usage failure (exit status 2), and what runs without a window
// ends with status 0, 1 or 2.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/startup.h"
#include "app/tool_commands.h"
#include "core/output.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tarpon::CommandLine;
    std::vector<std::string> args;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (size_t end; !rest.empty(); rest.remove_prefix(end + 1)) {
        end = std::min(rest.find('\0'), rest.size() - 1);
        args.emplace_back(rest.substr(0, rest[end] == '\0' ? end : end + 1));
        if (end + 1 == rest.size()) break;
    }
    const auto noFiles = [](const std::string&) { return false; };
    const CommandLine cl = tarpon::parseCommandLine(args, noFiles);
    check(cl.action != CommandLine::Action::Error || cl.message.starts_with("tarpon-hex: "));
    check(cl.action != CommandLine::Action::Run || cl.path != "-");
    if (cl.action == CommandLine::Action::Tool) {
        const tarpon::Outcome failed = tarpon::checkToolOptions(args);
        check(!failed || (failed->status == tarpon::kExitUsage && !failed->message.empty()));
    } else if (cl.action != CommandLine::Action::Run) {
        std::string out, err;
        tarpon::StringOutput o(out), e(err);
        const int status = tarpon::runWithoutWindow(cl, args, o, e);
        check(status == 0 || status == 2);
        check((status == 0) == err.empty());
    }
    // The same arguments after each command's name reach its option reader.
    for (const std::string_view name : tarpon::toolCommandNames()) {
        std::vector<std::string> given{std::string(name)};
        given.insert(given.end(), args.begin(), args.end());
        const tarpon::Outcome failed = tarpon::checkToolOptions(given);
        check(!failed || (failed->status == tarpon::kExitUsage && !failed->message.empty()));
    }
    return 0;
}
