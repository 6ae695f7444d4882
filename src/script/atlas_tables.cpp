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

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Whole bytes from hex digits, or nothing.
std::optional<std::string> hexBytes(std::string_view hex) {
    if (hex.empty() || hex.size() % 2) return std::nullopt;
    std::string out;
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

}  // namespace

std::optional<TableSwitch> readSwitch(std::string_view line) {
    // !KEY[<N>]=[<label>],<@id>:COUNT or <@id>:$CLOSING
    const size_t equals = line.find('=');
    if (!line.starts_with('!') || equals == std::string_view::npos) return std::nullopt;
    std::string_view key = line.substr(1, equals - 1), rest = line.substr(equals + 1);
    key = key.substr(0, key.find('<'));
    TableSwitch sw;
    const std::optional<std::string> keyBytes = hexBytes(key);
    if (!keyBytes) return std::nullopt;
    sw.key = *keyBytes;
    if (rest.starts_with('<')) {
        const size_t close = rest.find('>');
        if (close == std::string_view::npos) return std::nullopt;
        sw.label = std::string(rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
    }
    if (!rest.starts_with(",<@")) return std::nullopt;
    const size_t idEnd = rest.find(">:");
    if (idEnd == std::string_view::npos || rest.find(',', 1) != std::string_view::npos) return std::nullopt;
    sw.target = std::string(rest.substr(3, idEnd - 3));
    std::string_view count = rest.substr(idEnd + 2);
    if (count.ends_with('+')) count.remove_suffix(1);
    if (count.starts_with('$')) {
        const std::optional<std::string> closing = hexBytes(count.substr(1, count.find('<') - 1));
        if (!closing) return std::nullopt;
        sw.closing = *closing;
        return sw;
    }
    const std::optional<int64_t> n = readScriptNumber(count);
    if (!n || *n < 0 || *n > 1000) return std::nullopt;
    sw.count = static_cast<int>(*n);
    return sw;
}

std::vector<std::pair<std::string, std::string>> logicalTables(std::string_view bytes) {
    std::vector<std::pair<std::string, std::string>> parts(1);
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {  // UTF-16: read whole
        parts.front().second = bytes;
        return parts;
    }
    bool named = false;  // the part being read has its id
    // Each part keeps the file's line numbers: the lines before it, and its "@" line, are empty lines in it.
    const std::string_view lineEnd = bytes.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    size_t lines = 0;
    for (size_t at = 0; at < bytes.size(); ++lines) {
        const size_t end = std::min(bytes.find('\n', at), bytes.size() - 1) + 1;
        std::string_view line = bytes.substr(at, end - at);
        at = end;
        if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        if (!line.starts_with('@') || line.find('=') != std::string_view::npos) {  // "@XX=…": an Atlas entry
            parts.back().second += line;
            continue;
        }
        const std::string id(trimBlanks(line.substr(1, line.find_first_of("\r\n") - 1)));
        if (named) {
            parts.emplace_back();
            for (size_t i = 0; i < lines; ++i) parts.back().second += lineEnd;
        }
        parts.back().first = id;
        parts.back().second += lineEnd;
        named = true;
    }
    return parts;
}

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
