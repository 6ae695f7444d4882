#pragma once
// Scripts' files kept in memory for tests: tables and pointer lists by path.
#include <map>
#include <string>

#include "script/script_insert.h"
#include "table/tbl_file.h"

namespace tarpon::test {

inline ScriptSources sourcesIn(const std::map<std::string, std::string>& files, const std::string& folder) {
    ScriptSources s;
    s.folder = folder;
    s.readFile = [files](const std::string& path) -> std::optional<std::string> {
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    s.listFolder = [files](const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& [path, bytes] : files)
            if (path.starts_with(dir + "/")) names.push_back(path.substr(dir.size() + 1));
        return names;
    };
    s.readTable = [](std::string_view bytes, Table& table, std::string&) {
        readTbl(bytes, table);
        return true;
    };
    return s;
}

}  // namespace tarpon::test
