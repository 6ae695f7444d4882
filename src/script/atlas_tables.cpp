// The files a script names (#ADDTBL tables, #PTRLIST lists), found from the script's
// folder even when the script was written on another machine.
#include <algorithm>
#include <cctype>

#include "script/atlas_run.h"

namespace tarpon {
namespace {

std::string lower(std::string_view s) {
    std::string out;
    for (const char c : s) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool windowsAbsolute(std::string_view path) {
    return path.starts_with("\\\\") ||
           (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':');
}

std::string joined(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    return folder.back() == '/' ? folder + std::string(name) : folder + "/" + std::string(name);
}

}  // namespace

std::optional<std::string> AtlasRun::findNamedFile(const std::string& named, std::vector<std::string>& tried) const {
    const ScriptSources& s = options_.sources;
    if (!s.readFile) return std::nullopt;
    std::string path = named;
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::string name = path.substr(path.find_last_of('/') + 1);
    const auto attempt = [&](const std::string& p) -> std::optional<std::string> {
        if (std::find(tried.begin(), tried.end(), p) != tried.end()) return std::nullopt;
        tried.push_back(p);
        return s.readFile(p);
    };
    if (!windowsAbsolute(named))
        if (auto bytes = attempt(path.starts_with('/') ? path : joined(s.folder, path))) return bytes;
    if (!name.empty())
        if (auto bytes = attempt(joined(s.folder, name))) return bytes;
    if (!name.empty() && s.listFolder)
        for (const std::string& entry : s.listFolder(s.folder))
            if (lower(entry) == lower(name))
                if (auto bytes = attempt(joined(s.folder, entry))) return bytes;
    return std::nullopt;
}

std::optional<std::string> AtlasRun::readNamedFile(const std::string& named, int line, const char* what) {
    if (!options_.sources.readFile) {
        fail(line, std::string("this script's ") + what + " \"" + named + "\" cannot be read here.");
        return std::nullopt;
    }
    std::vector<std::string> tried;
    if (auto bytes = findNamedFile(named, tried)) return bytes;
    std::string path = named;
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::string name = path.substr(path.find_last_of('/') + 1);
    std::string where;
    for (const std::string& p : tried) where += (where.empty() ? "" : ", ") + p;
    fail(line, std::string("the ") + what + " \"" + named + "\" was not found (looked for " +
                   (where.empty() ? std::string("nothing") : where) +
                   (name.empty() ? std::string() : ", and for any case of " + name + " in the script's folder") + ").");
    return std::nullopt;
}

}  // namespace tarpon
