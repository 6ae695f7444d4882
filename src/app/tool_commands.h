#pragma once
// The commands that run without a window, for build scripts:
//   tarpon-hex find [--table T.tbl] [--relative [--alphabet A]] TEXT FILE
//   tarpon-hex dump --table T.tbl (--from A --to B | --pointers A --count N --size S
//                   [--big-endian] [--add N] [--length N]) [--out SCRIPT] FILE
//   tarpon-hex dump --commands COMMANDS.txt [--out SCRIPT] FILE
//   tarpon-hex insert --table T.tbl --script SCRIPT FILE
// Each is one entry of the command table in tool_commands.cpp: its name, its usage
// text and the function that runs it. A command writes its result to `out` and its
// complaints to `err`, every write checked, and returns the exit status: 0 done, 1
// the work could not be done (no hit, an unreadable file, a failed write), 2 a
// usage error. "--help" among a command's options prints its usage and exits 0.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/tool_runner.h"
#include "core/output.h"
#include "search/pattern.h"

namespace tarpon {

// Files of this many bytes or more are refused by the commands (the window's
// limit is kMaxFileSize).
inline constexpr int64_t kMaxToolFileSize = int64_t{1} << 31;

// find's search: every start in `doc` that holds one of the request's spellings
// whole (relative: its pattern's steps), one a line as 0x and hex digits; how many.
int64_t writeHits(const SearchRequest& request, bool relative, std::span<const uint8_t> doc, Output& out);

}  // namespace tarpon
