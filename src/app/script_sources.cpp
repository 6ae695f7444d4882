#include "app/script_sources.h"

#include <filesystem>

#include "core/file_io.h"
#include "table/tbl_file.h"

namespace tarpon {

ScriptSources scriptSourcesOnDisk(const std::string& scriptPath) {
    ScriptSources s;
    const std::filesystem::path folder = std::filesystem::path(scriptPath).parent_path();
    s.folder = folder.empty() ? std::string(".") : folder.string();
    s.readFile = [](const std::string& path) -> std::optional<std::string> {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;  // never created by the read
        const ReadResult read = readWholeFile(path, kMaxTblFileSize);
        if (read.status != ReadStatus::Ok) return std::nullopt;
        return std::string(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size());
    };
    s.listFolder = [](const std::string& dir) {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
            if (entry.is_regular_file(ec)) names.push_back(entry.path().filename().string());
        return names;
    };
    s.readTable = [](std::string_view bytes, Table& table, std::string& problem) {
        const TblReadResult read = readTbl(bytes, table);
        if (read.entries > 0 || !table.endTags().empty()) return true;
        problem = "it holds no table entries.";
        return false;
    };
    return s;
}

}  // namespace tarpon
