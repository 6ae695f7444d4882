#pragma once
// What a script insert is given and what it gives back (script_insert.h runs it).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bit_table.h"
#include "core/progress.h"
#include "core/table.h"
#include "core/text_encoding.h"
#include "script/script_text.h"

namespace tarpon {


// Whose rules a script is read by: Auto reads it by abcde's when it uses abcde's
// own commands, else by Atlas's.
enum class ScriptDialect { Auto, Atlas, Abcde };

// Where the files a script names (tables, pointer lists) come from.
struct ScriptSources {
    std::string folder;  // the script's folder; names are looked for there
    // The whole file at `path`, or nothing when there is none (or it cannot be read).
    std::function<std::optional<std::string>(const std::string& path)> readFile;
    // The names of the files in `folder`.
    std::function<std::vector<std::string>(const std::string& folder)> listFolder;
    // Reads a table file's bytes into `table`; false and `problem` when they are no table.
    std::function<bool(std::string_view bytes, Table& table, std::string& problem)> readTable;
};

struct InsertOptions {
    const Table* table = nullptr;  // for scripts that name no table of their own
    const BitTable* bitTable = nullptr;  // that table's bit keys, when it has some: they spell instead
    ScriptDialect dialect = ScriptDialect::Auto;
    std::optional<TextEncoding> encoding;  // the script's; found when not given
    ScriptSources sources;
    const Progress* progress = nullptr;  // asked as the script's lines are run; a stop is a cancel
};

struct ScriptWrite {
    int64_t at = 0;
    std::vector<uint8_t> bytes;
};

struct InsertPlan {
    std::vector<ScriptWrite> writes;  // in script order, a later one over an earlier; empty when `problem` says why
    std::string problem;
    std::vector<std::string> warnings;  // text cut at a #JMP's bound, #WARN, embedded pointers half set…
    int64_t textBytes = 0, pointers = 0, strings = 0;
    ScriptDialect dialect = ScriptDialect::Atlas;  // the rules it was read by
    bool cancelled = false;  // stopped by the progress: no writes, `problem` says so
};

}  // namespace tarpon
