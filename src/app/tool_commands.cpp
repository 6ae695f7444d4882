#include "app/tool_commands.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "core/char_table.h"
#include "core/editor_state.h"
#include "core/file_io.h"
#include "core/text_coding.h"
#include "search/pattern.h"
#include "table/tbl_file.h"

namespace tarpon {
namespace {

constexpr const char* kFindUsage = "Usage: tarpon-hex find [--table T.tbl] [--relative] TEXT FILE";

int usage(std::string& err, const std::string& problem, const char* usageLine) {
    err += "tarpon-hex: " + problem + "\n" + usageLine + "\n";
    return 2;
}

int failure(std::string& err, const std::string& problem) {
    err += "tarpon-hex: " + problem + "\n";
    return 1;
}

// The document at `path`, or nothing after a message; a missing file is an error, never created.
std::optional<ByteStore> readDocument(const std::string& path, std::string& err) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        failure(err, path + ": No such file or directory");
        return std::nullopt;
    }
    ReadResult read = readWholeFile(path, kMaxFileSize);
    if (read.status == ReadStatus::TooLarge) failure(err, path + ": files of 9 MiB or more are refused");
    else if (read.status == ReadStatus::Failed) failure(err, read.error);
    else return std::move(read.bytes);
    return std::nullopt;
}

struct LoadedTable {
    CharTable table;
    bool utf8 = false;
};

std::optional<LoadedTable> readTable(const std::string& path, std::string& err) {
    LoadedTable t;
    const TblLoadResult result = loadTblFile(path, t.table);
    if (result.status != TblLoadStatus::Loaded) {
        failure(err, result.error);
        return std::nullopt;
    }
    t.utf8 = result.read.coding == TblCoding::Utf8;
    return t;
}

// The pattern at every start that holds it whole, in order.
bool matchesAt(const ByteStore& doc, size_t at, const std::vector<uint8_t>& pattern, bool relative) {
    const int d = int{doc[at]} - int{pattern[0]};
    for (size_t k = 0; k < pattern.size(); ++k)
        if (relative ? int{doc[at + k]} - int{pattern[k]} != d : doc[at + k] != pattern[k]) return false;
    return true;
}

int find(const std::vector<std::string>& args, std::string& out, std::string& err) {
    std::string tablePath;
    bool relative = false;
    size_t i = 1;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        if (args[i] == "--") {
            ++i;
            break;
        }
        if (args[i] == "--relative") relative = true;
        else if (args[i] == "--table" && i + 1 < args.size()) tablePath = args[++i];
        else return usage(err, "find: unknown option or missing value '" + args[i] + "'", kFindUsage);
    }
    if (args.size() - i != 2) return usage(err, "find needs TEXT and FILE", kFindUsage);
    const std::string& text = args[i];
    const std::string& path = args[i + 1];
    std::optional<LoadedTable> table = tablePath.empty() ? LoadedTable{} : readTable(tablePath, err);
    if (!table) return 1;
    // The text comes as UTF-8; it is looked for as Latin-1 characters unless a UTF-8 table spells it.
    std::string searched = text;
    char32_t refused = 0;
    if (!(table->utf8 && !tablePath.empty()) && isValidUtf8(text)) {
        const std::optional<std::string> latin1 = latin1FromUtf8(text, &refused);
        if (!latin1) return failure(err, "find: " + describeCharacter(refused) + " has no one-byte code");
        searched = *latin1;
    }
    const PatternKind kind = tablePath.empty() ? PatternKind::Ascii : PatternKind::Table;
    const std::optional<SearchRequest> request = buildPattern(kind, searched, "", table->table, table->utf8);
    if (!request) return usage(err, "find: nothing to look for", kFindUsage);
    const std::optional<ByteStore> doc = readDocument(path, err);
    if (!doc) return 1;
    const size_t m = request->pattern.size();
    bool found = false;
    for (size_t at = 0; at + m <= doc->size(); ++at) {
        if (!matchesAt(*doc, at, request->pattern, relative)) continue;
        char line[32];
        std::snprintf(line, sizeof line, "0x%zX\n", at);
        out += line;
        found = true;
    }
    return found ? 0 : failure(err, "find: no hit in " + path);
}

}  // namespace

bool isToolCommand(const std::vector<std::string>& args) { return !args.empty() && args[0] == "find"; }

int runToolCommand(const std::vector<std::string>& args, std::string& out, std::string& err) {
    if (args.empty() || args[0] != "find") return usage(err, "no command", kFindUsage);
    return find(args, out, err);
}

}  // namespace tarpon
