#pragma once
// The commands that run without a window, for build scripts:
//   tarpon-hex find [--table T.tbl] [--relative] TEXT FILE
//   tarpon-hex dump --table T.tbl (--from A --to B | --pointers A --count N --size S
//                   [--big-endian] [--add N] [--length N]) [--out SCRIPT] FILE
//   tarpon-hex insert --table T.tbl --script SCRIPT FILE
//   tarpon-hex diff A B; tarpon-hex patch create|apply ... (patch/patch_commands.h)
// Each writes its result to `out` and its complaints to `err`, and returns the exit
// status: 0 done, 1 the work could not be done (no hit, an unreadable file), 2 a usage error.
#include <string>
#include <vector>

namespace tarpon {

// The first argument names a command ("find", "dump", "insert", "diff" or "patch").
bool isToolCommand(const std::vector<std::string>& args);
int runToolCommand(const std::vector<std::string>& args, std::string& out, std::string& err);

}  // namespace tarpon
