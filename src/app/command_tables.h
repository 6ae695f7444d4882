#pragma once
// The tables a command file names, found from the command file's folder: as written
// (relative to that folder), else by the file name alone in that folder (a path from
// another machine, a Windows path), else by that name in any case.
#include <optional>
#include <string>

#include "core/text_encoding.h"
#include "script/block_dump.h"

namespace tarpon {

// The file's path, or nothing and `looked` saying where it was looked for.
std::optional<std::string> findTableFile(const std::string& folder, const std::string& written, std::string& looked);

LoadedCommandTables loadCommandTables(const CommandFile& file, const std::string& commandPath);

// A table file as abcde's logical tables, when some of them switch or it holds
// several; `tables` null when it does neither (the ordinary loader reads it), or
// `problem` (naming the file and the line) when it cannot be followed. `path`: the
// file's absolute path, for an #ADDTBL line.
struct LogicalTableFile {
    std::unique_ptr<SwitchingTables> tables;
    std::string path, problem;
};
LogicalTableFile loadLogicalTableFile(const std::string& path, TextEncoding encoding);

}  // namespace tarpon
