#pragma once
// The command-line comparison and patch commands, for files up to 2 GiB:
//   tarpon-hex diff A B
//   tarpon-hex patch create ORIGINAL MODIFIED PATCH
//   tarpon-hex patch apply PATCH FILE --out OUTPUT
// The patch format comes from PATCH's extension, .ips or .bps. Each writes its
// result to `out` and its complaints to `err`, and returns the exit status.
#include <string>
#include <vector>

namespace tarpon {

// One line per run of differing bytes, "0xSTART-0xEND" (inclusive) and its length;
// 0 when the files are the same, 1 when they differ, 2 on an error.
int runDiff(const std::vector<std::string>& args, std::string& out, std::string& err);
// 0 done, 1 refused (a damaged patch, another original, a file too large), 2 a usage error.
int runPatch(const std::vector<std::string>& args, std::string& out, std::string& err);

}  // namespace tarpon
