#pragma once
// The blocks of a command file dumped, in order, into one UTF-8 script that an
// insert takes back: the tables as #VAR/#ADDTBL lines, each block's #ACTIVETBL,
// #JMP with its bounds, #HDR, its pointer writes, and each string's text (as `//`
// lines, or both, where the block asks for comments). The pointers of one string are
// written one after another before a single copy of its text, so that inserting the
// unchanged script gives back the same bytes.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/bit_table.h"
#include "core/progress.h"
#include "core/switch_table.h"
#include "core/table.h"
#include "script/command_file.h"
#include "script/script_dump.h"

namespace tarpon {

// The command file's tables, loaded: one for each of CommandFile::tables, in order.
// `logical`, when given, holds abcde's logical tables of every file (`first`: each
// file's first among them): a block is read through them, following switches, when
// some table switches, its file holds several tables, or it names its table by id.
struct CommandTables {
    std::vector<const Table*> tables;
    std::vector<std::string> paths;  // written in the #ADDTBL lines
    std::vector<const BitTable*> bitTables;  // for each table, its bit keys when it has some (else none, or nullptr)
    const SwitchingTables* logical = nullptr;
    std::vector<size_t> first;
};

// The tables themselves, or why one could not be loaded (`problem`, naming its line
// and where it was looked for).
struct LoadedCommandTables {
    std::vector<std::unique_ptr<Table>> tables;
    std::vector<std::unique_ptr<BitTable>> bitTables;
    std::unique_ptr<SwitchingTables> logical;
    CommandTables view;
    std::string problem;
};
// Finds and loads a command file's tables; given the file and the command file's path.
using CommandTableLoader = std::function<LoadedCommandTables(const CommandFile&, const std::string& commandPath)>;

DumpResult dumpCommandFile(const CommandFile& file, const CommandTables& tables, std::span<const uint8_t> doc,
                           const Progress& progress = {}, uint64_t maxScript = kMaxScriptSize);

}  // namespace tarpon
