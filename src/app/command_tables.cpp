#include "app/command_tables.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

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

LoadedCommandTables loadCommandTables(const CommandFile& file, const std::string& commandPath) {
    LoadedCommandTables loaded;
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
        std::unique_ptr<BitTable> bits;
        const std::string first = logicalTables(source.bytes).front().second;  // the table an insert's #ADDTBL reads
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
    return loaded;
}

}  // namespace tarpon
