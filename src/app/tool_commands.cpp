#include "app/tool_commands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "app/script_sources.h"
#include "core/char_table.h"
#include "core/editor_state.h"
#include "core/file_io.h"
#include "core/plain_number.h"
#include "core/text_coding.h"
#include "core/text_encoding.h"
#include "script/script_dump.h"
#include "script/script_insert.h"
#include "search/alphabet.h"
#include "search/pattern.h"
#include "table/tbl_file.h"

namespace tarpon {
namespace {

constexpr const char* kFindUsage =
    "Usage: tarpon-hex find [--table T.tbl] [--relative [--alphabet ascii|hiragana|katakana|SEQUENCE]] TEXT FILE";
constexpr const char* kDumpUsage =
    "Usage: tarpon-hex dump --table T.tbl --from OFFSET --to OFFSET [--out SCRIPT] FILE\n"
    "       tarpon-hex dump --table T.tbl --pointers OFFSET --count N --size 2|3|4 [--big-endian]\n"
    "                       [--add NUMBER] [--length N] [--out SCRIPT] FILE";
constexpr const char* kInsertUsage =
    "Usage: tarpon-hex insert --script SCRIPT [--table T.tbl] [--dialect atlas|abcde]\n"
    "                         [--script-encoding ENCODING] [--quiet] FILE";

int usage(std::string& err, const std::string& problem, const char* usageLine) {
    err += "tarpon-hex: " + problem + "\n" + usageLine + "\n";
    return 2;
}

int failure(std::string& err, const std::string& problem) {
    err += "tarpon-hex: " + problem + "\n";
    return 1;
}

// The document at `path` (a script: `limit` kMaxScriptSize), or nothing after a message; a
// missing file is an error, never created.
std::optional<ByteStore> readDocument(const std::string& path, std::string& err, int64_t limit = kMaxFileSize) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        failure(err, path + ": No such file or directory");
        return std::nullopt;
    }
    ReadResult read = readWholeFile(path, limit);
    if (read.status == ReadStatus::TooLarge)
        failure(err, path + (limit == kMaxFileSize ? ": files of 9 MiB or more are refused" : ": too large"));
    else if (read.status == ReadStatus::Failed) failure(err, read.error);
    else return std::move(read.bytes);
    return std::nullopt;
}

struct LoadedTable {
    Table model;
    CharTable table;  // its one-byte view
    bool utf8 = false;
};

std::optional<LoadedTable> readTable(const std::string& path, std::string& err) {
    LoadedTable t;
    TableSource source;
    const TblLoadResult result = loadTblFile(path, t.model, source);
    if (result.status != TblLoadStatus::Loaded) {
        failure(err, result.error);
        return std::nullopt;
    }
    t.table = t.model.oneByteView();
    t.utf8 = true;  // the model's letters are UTF-8, whatever the file's encoding
    return t;
}

// The pattern at every start that holds it whole, in order.
bool matchesAt(const ByteStore& doc, size_t at, const std::vector<uint8_t>& pattern, bool relative, int32_t wildcard) {
    const int d = int{doc[at]} - int{pattern[0]};
    for (size_t k = 0; k < pattern.size(); ++k) {
        if (pattern[k] == wildcard) continue;
        if (relative ? int{doc[at + k]} - int{pattern[k]} != d : doc[at + k] != pattern[k]) return false;
    }
    return true;
}

// Prints every start of any of the spellings in the document at `path`; 1 and a message when there is none.
int printHits(const std::vector<std::vector<uint8_t>>& spellings, bool relative, int32_t wildcard,
              const std::string& path, std::string& out, std::string& err) {
    const std::optional<ByteStore> doc = readDocument(path, err);
    if (!doc) return 1;
    bool found = false;
    for (size_t at = 0; at < doc->size(); ++at) {
        const auto hit = [&](const std::vector<uint8_t>& p) {
            return at + p.size() <= doc->size() && matchesAt(*doc, at, p, relative, wildcard);
        };
        if (!std::any_of(spellings.begin(), spellings.end(), hit)) continue;
        char line[32];
        std::snprintf(line, sizeof line, "0x%zX\n", at);
        out += line;
        found = true;
    }
    return found ? 0 : failure(err, "find: no hit in " + path);
}

// A relative search through the Hiragana or Katakana order, or a sequence given on the command line.
int findInAlphabet(const std::string& name, const std::string& text, const std::string& path, std::string& out,
                   std::string& err) {
    std::string problem;
    std::optional<Alphabet> alphabet = name == "hiragana"   ? hiraganaAlphabet()
                                       : name == "katakana" ? katakanaAlphabet()
                                                            : customAlphabet(name, &problem);
    if (!alphabet) return usage(err, "find: --alphabet: " + problem, kFindUsage);
    const std::optional<SearchRequest> request = buildAlphabetPattern(*alphabet, text, "", &problem);
    if (!request) return failure(err, "find: " + (problem.empty() ? std::string("nothing to look for") : problem));
    return printHits({request->pattern}, true, request->wildcard, path, out, err);
}

int find(const std::vector<std::string>& args, std::string& out, std::string& err) {
    std::string tablePath, alphabetName;
    bool relative = false;
    size_t i = 1;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        if (args[i] == "--") {
            ++i;
            break;
        }
        if (args[i] == "--relative") relative = true;
        else if (args[i] == "--table" && i + 1 < args.size()) tablePath = args[++i];
        else if (args[i] == "--alphabet" && i + 1 < args.size()) alphabetName = args[++i];
        else return usage(err, "find: unknown option or missing value '" + args[i] + "'", kFindUsage);
    }
    if (args.size() - i != 2) return usage(err, "find needs TEXT and FILE", kFindUsage);
    const std::string& text = args[i];
    const std::string& path = args[i + 1];
    if (!alphabetName.empty() && alphabetName != "ascii") {
        if (!relative || !tablePath.empty())
            return usage(err, "find: --alphabet goes with --relative, without --table", kFindUsage);
        return findInAlphabet(alphabetName, text, path, out, err);
    }
    std::optional<LoadedTable> table = tablePath.empty() ? LoadedTable{} : readTable(tablePath, err);
    if (!table) return 1;
    // The text comes as UTF-8: spelled through the table in every way it can be, else looked for as Latin-1.
    std::optional<SearchRequest> request;
    if (!tablePath.empty()) {
        request = buildTablePattern(text, "", table->model);
    } else {
        char32_t refused = 0;
        const std::optional<std::string> latin1 = isValidUtf8(text) ? latin1FromUtf8(text, &refused) : text;
        if (!latin1) return failure(err, "find: " + describeCharacter(refused) + " has no one-byte code");
        request = buildPattern(PatternKind::Ascii, *latin1, "", table->table);
    }
    if (!request) return usage(err, "find: nothing to look for", kFindUsage);
    std::vector<std::vector<uint8_t>> spellings = std::move(request->otherSpellings);
    spellings.insert(spellings.begin(), std::move(request->pattern));
    return printHits(spellings, relative, -1, path, out, err);
}

// "--name value" options (and flags) before FILE, which comes last.
struct Options {
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    std::string file;
};

std::optional<Options> readOptions(const std::vector<std::string>& args, const std::set<std::string>& valued,
                                   const std::set<std::string>& flags, std::string& problem) {
    Options o;
    size_t i = 1;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        if (args[i] == "--") {
            ++i;
            break;
        }
        const std::string name = args[i].substr(2);
        if (flags.contains(name)) o.flags.insert(name);
        else if (valued.contains(name) && i + 1 < args.size()) o.values[name] = args[++i];
        else {
            problem = "unknown option or missing value '" + args[i] + "'";
            return std::nullopt;
        }
    }
    if (args.size() - i != 1) {
        problem = "one FILE, after the options";
        return std::nullopt;
    }
    o.file = args[i];
    return o;
}

// A number option; `fallback` when it is not given. Nothing, and `problem`, when it is no number.
std::optional<int64_t> number(const Options& o, const std::string& name, std::optional<int64_t> fallback,
                              std::string& problem) {
    const auto it = o.values.find(name);
    if (it == o.values.end()) {
        if (!fallback) problem = "--" + name + " is needed";
        return fallback;
    }
    const std::optional<int64_t> value = readPlainNumber(it->second);
    if (!value) problem = "--" + name + " takes a number (decimal, or hexadecimal after 0x or $), not '" + it->second + "'";
    return value;
}

std::optional<DumpRequest> dumpRequest(const Options& o, std::string& problem) {
    DumpRequest r;
    r.pointers = o.values.contains("pointers");
    if (!r.pointers) {
        const auto from = number(o, "from", std::nullopt, problem), to = from ? number(o, "to", std::nullopt, problem) : std::nullopt;
        if (!to) return std::nullopt;
        r.from = *from, r.to = *to;
        return r;
    }
    const auto at = number(o, "pointers", std::nullopt, problem);
    const auto count = at ? number(o, "count", std::nullopt, problem) : std::nullopt;
    const auto size = count ? number(o, "size", std::nullopt, problem) : std::nullopt;
    const auto add = size ? number(o, "add", 0, problem) : std::nullopt;
    const auto length = add ? number(o, "length", 0, problem) : std::nullopt;
    if (!length) return std::nullopt;
    if (*size < 2 || *size > 4) {
        problem = "--size is 2, 3 or 4";
        return std::nullopt;
    }
    r.tableAt = *at, r.count = *count, r.maxLength = *length;
    r.p = {static_cast<int>(*size), o.flags.contains("big-endian"), *add};
    return r;
}

int dump(const std::vector<std::string>& args, std::string& out, std::string& err) {
    std::string problem;
    const auto o = readOptions(args, {"table", "from", "to", "pointers", "count", "size", "add", "length", "out"},
                               {"big-endian"}, problem);
    std::optional<DumpRequest> r = o ? dumpRequest(*o, problem) : std::nullopt;
    if (r && !o->values.contains("table")) problem = "--table is needed";
    if (!r || !problem.empty()) return usage(err, "dump: " + problem, kDumpUsage);
    std::optional<LoadedTable> table = readTable(o->values.at("table"), err);
    if (!table) return 1;
    const std::optional<ByteStore> doc = readDocument(o->file, err);
    if (!doc) return 1;
    r->source = o->file + " through " + o->values.at("table");
    const DumpResult result = dumpScript(table->model, std::span(doc->data(), doc->size()), *r);
    if (!result.problem.empty()) return failure(err, "dump: " + result.problem);
    if (!o->values.contains("out")) {
        out += result.script;
        return 0;
    }
    const std::string& path = o->values.at("out");
    const SaveResult saved =
        replaceFile(path, reinterpret_cast<const uint8_t*>(result.script.data()), result.script.size(), systemFileIo());
    if (!saved.saved()) return failure(err, path + ": " + saved.error);
    if (!saved.error.empty()) err += "tarpon-hex: " + saved.error + "\n";  // saved, but a later step failed
    return 0;
}

// Letters and digits only, lower case: "Shift-JIS" and "shift_jis" alike.
std::string letters(std::string_view name) {
    std::string out;
    for (const char c : name)
        if (std::isalnum(static_cast<unsigned char>(c))) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// --dialect and --script-encoding into the options; false and `problem` for a value not known.
bool insertChoices(const Options& o, InsertOptions& options, std::string& problem) {
    if (const auto d = o.values.find("dialect"); d != o.values.end()) {
        if (d->second != "atlas" && d->second != "abcde") problem = "--dialect is atlas or abcde";
        options.dialect = d->second == "abcde" ? ScriptDialect::Abcde : ScriptDialect::Atlas;
    }
    if (const auto e = o.values.find("script-encoding"); e != o.values.end()) {
        for (int i = 0; i < kTextEncodings; ++i)
            if (letters(encodingName(static_cast<TextEncoding>(i))) == letters(e->second))
                options.encoding = static_cast<TextEncoding>(i);
        if (!options.encoding) problem = "--script-encoding is utf-8, utf-16le, utf-16be, shift-jis, windows-1252 or latin-1";
    }
    return problem.empty();
}

int insert(const std::vector<std::string>& args, std::string& err) {
    std::string problem;
    const auto o = readOptions(args, {"table", "script", "dialect", "script-encoding"}, {"quiet"}, problem);
    if (o && !o->values.contains("script")) problem = "--script is needed";
    InsertOptions options;
    if (o && problem.empty()) insertChoices(*o, options, problem);
    if (!o || !problem.empty()) return usage(err, "insert: " + problem, kInsertUsage);
    std::optional<LoadedTable> table;
    if (o->values.contains("table") && !(table = readTable(o->values.at("table"), err))) return 1;
    const std::string& scriptPath = o->values.at("script");
    const std::optional<ByteStore> script = readDocument(scriptPath, err, kMaxScriptSize);
    if (!script) return 1;
    std::optional<ByteStore> doc = readDocument(o->file, err);
    if (!doc) return 1;
    options.table = table ? &table->model : nullptr;
    options.sources = scriptSourcesOnDisk(scriptPath);
    const InsertPlan plan = planInsert(std::span(doc->data(), doc->size()),
                                       std::string_view(reinterpret_cast<const char*>(script->data()), script->size()), options);
    if (!plan.problem.empty()) return failure(err, "insert: " + scriptPath + ": " + plan.problem + " Nothing was written.");
    for (const ScriptWrite& w : plan.writes) std::copy(w.bytes.begin(), w.bytes.end(), doc->begin() + w.at);
    const SaveResult saved = replaceFile(o->file, doc->data(), doc->size(), systemFileIo());
    if (!saved.saved()) return failure(err, o->file + ": " + saved.error);
    if (!saved.error.empty()) err += "tarpon-hex: " + saved.error + "\n";  // saved, but a later step failed
    for (const std::string& w : plan.warnings) err += "tarpon-hex: insert: " + scriptPath + ": " + w + "\n";
    if (!o->flags.contains("quiet")) err += "tarpon-hex: insert: " + describeInsert(plan) + "\n";
    return 0;
}

}  // namespace

bool isToolCommand(const std::vector<std::string>& args) {
    return !args.empty() && (args[0] == "find" || args[0] == "dump" || args[0] == "insert");
}

int runToolCommand(const std::vector<std::string>& args, std::string& out, std::string& err) {
    if (args.empty()) return usage(err, "no command", kFindUsage);
    if (args[0] == "dump") return dump(args, out, err);
    if (args[0] == "insert") return insert(args, err);
    return find(args, out, err);
}

}  // namespace tarpon
