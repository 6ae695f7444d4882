#include "app/command_tables.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "core/file_io.h"
#include "script/atlas_run.h"
#include "table/tbl_file.h"

namespace tarpon {
namespace {

namespace fs = std::filesystem;

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

}  // namespace

std::optional<std::string> findTableFile(const std::string& folder, const std::string& written, std::string& looked) {
    const fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
    const fs::path asWritten = fs::path(written).is_absolute() ? fs::path(written) : dir / written;
    if (isFile(asWritten)) return asWritten.string();
    const size_t slash = written.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? written : written.substr(slash + 1);
    looked = asWritten.string();
    if (name.empty()) return std::nullopt;
    if (isFile(dir / name)) return (dir / name).string();
    looked += ", " + (dir / name).string();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (lower(entry.path().filename().string()) == lower(name) && isFile(entry.path())) return entry.path().string();
    looked += " and \"" + name + "\" in any case in " + dir.string();
    return std::nullopt;
}

namespace {

bool namesTablesById(const CommandFile& file) {
    return std::any_of(file.blocks.begin(), file.blocks.end(), [](const CartoBlock& b) { return !b.tableId.empty(); });
}

// abcde's logical tables of every file, when a block names its table by id or some
// file switches; else none (and files whose "@" lines are Atlas's marks stay whole).
bool loadLogicalTables(const CommandFile& file, const std::vector<std::string>& found,
                       const std::vector<TextEncoding>& encodings, LoadedCommandTables& loaded) {
    std::vector<std::string> bytes;
    bool switches = false;
    for (size_t i = 0; i < found.size(); ++i) {
        const ReadResult read = readWholeFile(found[i], kMaxTblFileSize);
        bytes.emplace_back(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size());
        const LogicalTables parts = readLogicalTables(bytes.back());
        if (!parts.problem.empty()) {  // a switch this dump cannot follow: refused, never read as something else
            loaded.problem = "Line " + std::to_string(file.tables[i].line) + ": the table \"" + file.tables[i].path + "\", " + parts.problem;
            return false;
        }
        switches = switches || parts.switches();
    }
    if (!switches && !namesTablesById(file)) return true;
    auto logical = std::make_unique<SwitchingTables>();
    for (size_t i = 0; i < found.size(); ++i) {
        const TextEncoding encoding = encodings[i];
        const auto read = [encoding](std::string_view lines, Table& table, std::string&) {
            readTbl(lines, table, nullptr, encoding);
            return true;  // a table of switches alone, or one left empty, is a table too
        };
        std::string problem;
        const int first = logical->add(bytes[i], file.tables[i].path, read, problem);
        if (first < 0) {
            loaded.problem = "Line " + std::to_string(file.tables[i].line) + ": " + problem;
            return false;
        }
        loaded.view.first.push_back(static_cast<size_t>(first));
    }
    loaded.view.logical = logical.get();
    loaded.logical = std::move(logical);
    return true;
}

}  // namespace

LoadedCommandTables loadCommandTables(const CommandFile& file, const std::string& commandPath) {
    LoadedCommandTables loaded;
    std::vector<std::string> found;
    std::vector<TextEncoding> encodings;
    const std::string folder = fs::path(commandPath).parent_path().string();
    for (const TableName& name : file.tables) {
        const std::string where = "Line " + std::to_string(name.line) + ": the table \"" + name.path + "\"";
        std::string looked;
        const std::optional<std::string> path = findTableFile(folder, name.path, looked);
        if (!path) {
            loaded.problem = where + " was not found: looked for " + looked + ".";
            return loaded;
        }
        auto table = std::make_unique<Table>();
        TableSource source;
        const TblLoadResult result = loadTblFile(*path, *table, source);
        if (result.status != TblLoadStatus::Loaded) {
            loaded.problem = where + ": " + result.error;
            return loaded;
        }
        std::error_code ec;
        const fs::path absolute = fs::absolute(*path, ec);
        const std::string written = ec ? *path : absolute.lexically_normal().string();
        if (std::any_of(written.begin(), written.end(), [](char c) { return c == '"' || static_cast<unsigned char>(c) < 0x20; })) {
            loaded.problem = where + " is at " + written + ", a path an #ADDTBL line cannot hold (a quote or a control character).";
            return loaded;
        }
        found.push_back(*path);
        encodings.push_back(result.read.encoding.encoding);
        std::unique_ptr<BitTable> bits;
        const std::string first = readLogicalTables(source.bytes, false).tables.front().lines;  // the table an insert's #ADDTBL reads
        if (firstBitKeyLine(first) > 0) {
            std::string problem;
            std::optional<BitTable> read = BitTable::read(first, problem);
            if (!read) {
                loaded.problem = where + ": " + problem;
                return loaded;
            }
            bits = std::make_unique<BitTable>(std::move(*read));
        }
        loaded.view.paths.push_back(written);
        loaded.view.tables.push_back(table.get());
        loaded.view.bitTables.push_back(bits.get());
        loaded.tables.push_back(std::move(table));
        loaded.bitTables.push_back(std::move(bits));
    }
    loadLogicalTables(file, found, encodings, loaded);
    return loaded;
}

LogicalTableFile loadLogicalTableFile(const std::string& path, TextEncoding encoding) {
    LogicalTableFile out;
    const ReadResult read = readWholeFile(path, kMaxTblFileSize);
    if (read.status != ReadStatus::Ok) return out;  // the ordinary loader has said why
    const std::string_view bytes(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size());
    const LogicalTables parts = readLogicalTables(bytes);
    if (parts.problem.empty() && !parts.switches() && parts.tables.size() < 2) return out;
    out.tables = std::make_unique<SwitchingTables>();
    const auto entries = [encoding](std::string_view lines, Table& table, std::string&) {
        readTbl(lines, table, nullptr, encoding);
        return true;
    };
    if (out.tables->add(bytes, path, entries, out.problem) < 0) out.tables.reset();
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    out.path = ec ? path : absolute.lexically_normal().string();
    return out;
}

}  // namespace tarpon
