#pragma once
// The script dump (a range, or the strings of a pointer table) read through a table
// file's logical tables and their switches, starting in its first table. The script
// loads the file itself, so that an insert follows the switches by abcde's rules; it
// is laid out as the ordinary dump lays out its script.
#include <cstdint>
#include <span>
#include <string>

#include "core/progress.h"
#include "core/switch_table.h"
#include "script/script_dump.h"

namespace tarpon {

// `path`: the table file as the script's #ADDTBL line names it.
DumpResult dumpSwitchingScript(const SwitchingTables& tables, const std::string& path, std::span<const uint8_t> doc,
                               const DumpRequest& request, const Progress& progress = {});

}  // namespace tarpon
