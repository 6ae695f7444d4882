#include "app/tool_commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <variant>

#include "app/command_tables.h"
#include "app/script_sources.h"
#include "app/tool_runner.h"
#include "core/char_table.h"
#include "core/file_io.h"
#include "core/plain_number.h"
#include "core/text_coding.h"
#include "core/text_encoding.h"
#include "patch/patch_commands.h"
#include "script/atlas_run.h"
#include "script/bit_dump.h"
#include "script/block_dump.h"
#include "script/command_file.h"
#include "script/script_dump.h"
#include "script/script_insert.h"
#include "script/switch_dump.h"
#include "search/alphabet.h"
#include "search/multi_search.h"
#include "table/tbl_file.h"

namespace tarpon {
namespace {

template <class T>
using Read = std::variant<T, Failure>;

// "-" is not read as standard input: FILE is also written (insert), and one rule for all is easier to keep.
Outcome refuseDash(const std::string& path) {
    if (path != "-") return std::nullopt;
    return usageFailure("'-' names no file here (standard input is not read); write ./- for a file named -");
}

// The document at `path` (a script: `limit` kMaxScriptSize). A missing file is an error, never
// created; the reason a file cannot be examined is the system's (a loop of links, an I/O error...).
Read<ByteStore> readDocument(const std::string& path, int64_t limit = kMaxToolFileSize) {
    if (Outcome dash = refuseDash(path)) return *dash;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Failure{path + ": " + std::strerror(errno)};
    ReadResult read = readWholeFile(path, limit);
    if (read.status == ReadStatus::TooLarge)
        return Failure{path + (limit == kMaxToolFileSize ? ": files of 2 GiB or more are refused" : ": too large")};
    if (read.status == ReadStatus::Failed) return Failure{read.error};
    return std::move(read.bytes);
}

struct LoadedTable {
    Table model;
    CharTable table;  // its one-byte view
    std::optional<BitTable> bits;  // its first table as one of bit keys, when it has such keys
    TextEncoding encoding = TextEncoding::Utf8;  // the file's
};

Read<LoadedTable> readTable(const std::string& path) {
    if (Outcome dash = refuseDash(path)) return *dash;
    LoadedTable t;
    TableSource source;
    const TblLoadResult result = loadTblFile(path, t.model, source);
    if (result.status != TblLoadStatus::Loaded) return Failure{result.error};
    t.table = t.model.oneByteView();
    t.encoding = result.read.encoding.encoding;
    const std::string first = readLogicalTables(source.bytes, false).tables.front().lines;  // the table an insert's #ADDTBL reads
    if (firstBitKeyLine(first) > 0) {
        std::string problem;
        t.bits = BitTable::read(first, problem);
        if (!t.bits) return Failure{path + ": " + problem};
    }
    return t;
}

// A relative search through the Hiragana or Katakana order, or a sequence given on the command line.
Read<SearchRequest> alphabetRequest(const std::string& name, const std::string& text) {
    std::string problem;
    std::optional<Alphabet> alphabet = name == "hiragana"   ? hiraganaAlphabet()
                                       : name == "katakana" ? katakanaAlphabet()
                                                            : customAlphabet(name, &problem);
    if (!alphabet) return usageFailure("find: --alphabet: " + problem);
    std::optional<SearchRequest> request = buildAlphabetPattern(*alphabet, text, "", &problem);
    if (!request) return Failure{"find: " + (problem.empty() ? std::string("nothing to look for") : problem)};
    return std::move(*request);
}

struct FindOptions {
    std::string tablePath, alphabetName, text, path;
    bool relative = false;
};

Read<FindOptions> readFindOptions(const std::vector<std::string>& args) {
    FindOptions o;
    size_t i = 1;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        if (args[i] == "--") {
            ++i;
            break;
        }
        if (args[i] == "--relative") o.relative = true;
        else if (args[i] == "--table" && i + 1 < args.size()) o.tablePath = args[++i];
        else if (args[i] == "--alphabet" && i + 1 < args.size()) o.alphabetName = args[++i];
        else return usageFailure("find: unknown option or missing value '" + args[i] + "'");
    }
    if (args.size() - i != 2) return usageFailure("find needs TEXT and FILE");
    o.text = args[i];
    o.path = args[i + 1];
    if (!o.alphabetName.empty() && o.alphabetName != "ascii" && (!o.relative || !o.tablePath.empty()))
        return usageFailure("find: --alphabet goes with --relative, without --table");
    return o;
}

// The text comes as UTF-8: spelled through the table in every way it can be, else looked for as Latin-1.
Read<SearchRequest> findRequest(const FindOptions& o) {
    if (!o.alphabetName.empty() && o.alphabetName != "ascii") return alphabetRequest(o.alphabetName, o.text);
    std::optional<SearchRequest> request;
    if (!o.tablePath.empty()) {
        Read<LoadedTable> table = readTable(o.tablePath);
        if (auto* failed = std::get_if<Failure>(&table)) return *failed;
        request = buildTablePattern(o.text, "", std::get<LoadedTable>(table).model);
    } else {
        char32_t refused = 0;
        const std::optional<std::string> latin1 = isValidUtf8(o.text) ? latin1FromUtf8(o.text, &refused) : o.text;
        if (!latin1) return Failure{"find: " + describeCharacter(refused) + " has no one-byte code"};
        request = buildPattern(PatternKind::Ascii, *latin1, "", CharTable{});
    }
    if (!request) return usageFailure("find: nothing to look for");
    return std::move(*request);
}

Outcome find(const std::vector<std::string>& args, Output& out, Output&) {
    const Read<FindOptions> o = readFindOptions(args);
    if (auto* failed = std::get_if<Failure>(&o)) return *failed;
    const FindOptions& options = std::get<FindOptions>(o);
    const Read<SearchRequest> request = findRequest(options);
    if (auto* failed = std::get_if<Failure>(&request)) return *failed;
    const Read<ByteStore> doc = readDocument(options.path);
    if (auto* failed = std::get_if<Failure>(&doc)) return *failed;
    const ByteStore& bytes = std::get<ByteStore>(doc);
    if (writeHits(std::get<SearchRequest>(request), options.relative, std::span(bytes.data(), bytes.size()), out) == 0)
        return Failure{"find: no hit in " + options.path};
    return std::nullopt;
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

struct DumpOptions {
    Options o;
    DumpRequest r;
};

Read<DumpOptions> readDumpOptions(const std::vector<std::string>& args) {
    std::string problem;
    const auto o = readOptions(args, {"table", "from", "to", "pointers", "count", "size", "add", "length", "out", "commands"},
                               {"big-endian"}, problem);
    if (o && o->values.contains("commands")) {
        // The command file says what to dump and through which tables.
        if (o->values.size() != 1 + o->values.count("out") || !o->flags.empty())
            return usageFailure("dump: --commands goes only with --out");
        return DumpOptions{*o, {}};
    }
    std::optional<DumpRequest> r = o ? dumpRequest(*o, problem) : std::nullopt;
    if (r && !o->values.contains("table")) problem = "--table is needed";
    if (!r || !problem.empty()) return usageFailure("dump: " + problem);
    return DumpOptions{*o, *r};
}

// Saves `bytes` over the file at `path`; a note on `err` when it was saved but a later step failed.
Outcome save(const std::string& path, const uint8_t* bytes, size_t size, Output& err) {
    const SaveResult saved = replaceFile(path, bytes, size, systemFileIo());
    if (!saved.saved()) return Failure{path + ": " + saved.error};
    if (!saved.error.empty()) err.write("tarpon-hex: " + saved.error + "\n");
    return std::nullopt;
}

// The script to standard output, or to the file --out names ("--out -" is standard output, as no --out).
Outcome writeScript(const Options& o, const std::string& script, Output& out, Output& err) {
    if (!o.values.contains("out") || o.values.at("out") == "-") {
        out.write(script);
        return std::nullopt;
    }
    return save(o.values.at("out"), reinterpret_cast<const uint8_t*>(script.data()), script.size(), err);
}

Outcome dumpCommands(const Options& o, Output& out, Output& err) {
    const std::string& path = o.values.at("commands");
    const Read<ByteStore> commands = readDocument(path, kMaxCommandFileSize);
    if (auto* failed = std::get_if<Failure>(&commands)) return *failed;
    const ByteStore& text = std::get<ByteStore>(commands);
    const CommandFile file = readCommandFile(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
    if (!file.problem.empty()) return Failure{"dump: " + path + ": " + file.problem + " Nothing was written."};
    const LoadedCommandTables tables = loadCommandTables(file, path);
    if (!tables.problem.empty()) return Failure{"dump: " + path + ": " + tables.problem + " Nothing was written."};
    const Read<ByteStore> doc = readDocument(o.file);
    if (auto* failed = std::get_if<Failure>(&doc)) return *failed;
    const ByteStore& bytes = std::get<ByteStore>(doc);
    const DumpResult result = dumpCommandFile(file, tables.view, std::span(bytes.data(), bytes.size()));
    if (!result.problem.empty()) return Failure{"dump: " + path + ": " + result.problem + " Nothing was written."};
    return writeScript(o, result.script, out, err);
}

Outcome dump(const std::vector<std::string>& args, Output& out, Output& err) {
    Read<DumpOptions> read = readDumpOptions(args);
    if (auto* failed = std::get_if<Failure>(&read)) return *failed;
    auto& [o, r] = std::get<DumpOptions>(read);
    if (o.values.contains("commands")) return dumpCommands(o, out, err);
    const Read<LoadedTable> table = readTable(o.values.at("table"));
    if (auto* failed = std::get_if<Failure>(&table)) return *failed;
    const Read<ByteStore> doc = readDocument(o.file);
    if (auto* failed = std::get_if<Failure>(&doc)) return *failed;
    const ByteStore& bytes = std::get<ByteStore>(doc);
    r.source = o.file + " through " + o.values.at("table");
    const LoadedTable& t = std::get<LoadedTable>(table);
    // A table of abcde's switches (or of several tables) is read through them, from its first;
    // a table of bit keys through its bits.
    const LogicalTableFile logical = t.bits ? LogicalTableFile{} : loadLogicalTableFile(o.values.at("table"), t.encoding);
    if (!logical.problem.empty()) return Failure{"dump: " + logical.problem};
    const std::span<const uint8_t> data(bytes.data(), bytes.size());
    const DumpResult result = t.bits          ? dumpBitScript(*t.bits, data, r)
                              : logical.tables ? dumpSwitchingScript(*logical.tables, logical.path, data, r)
                                               : dumpScript(t.model, data, r);
    if (!result.problem.empty()) return Failure{"dump: " + result.problem};
    return writeScript(o, result.script, out, err);
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

Read<Options> readInsertOptions(const std::vector<std::string>& args) {
    std::string problem;
    const auto o = readOptions(args, {"table", "script", "dialect", "script-encoding"}, {"quiet"}, problem);
    if (o && !o->values.contains("script")) problem = "--script is needed";
    InsertOptions options;
    if (o && problem.empty()) insertChoices(*o, options, problem);
    if (!o || !problem.empty()) return usageFailure("insert: " + problem);
    return *o;
}

Outcome insert(const std::vector<std::string>& args, Output&, Output& err) {
    const Read<Options> read = readInsertOptions(args);
    if (auto* failed = std::get_if<Failure>(&read)) return *failed;
    const Options& o = std::get<Options>(read);
    InsertOptions options;
    std::string problem;
    insertChoices(o, options, problem);
    std::optional<LoadedTable> table;
    if (o.values.contains("table")) {
        Read<LoadedTable> t = readTable(o.values.at("table"));
        if (auto* failed = std::get_if<Failure>(&t)) return *failed;
        table = std::move(std::get<LoadedTable>(t));
    }
    const std::string& scriptPath = o.values.at("script");
    const Read<ByteStore> script = readDocument(scriptPath, kMaxScriptSize);
    if (auto* failed = std::get_if<Failure>(&script)) return *failed;
    Read<ByteStore> doc = readDocument(o.file);
    if (auto* failed = std::get_if<Failure>(&doc)) return *failed;
    ByteStore& bytes = std::get<ByteStore>(doc);
    const ByteStore& text = std::get<ByteStore>(script);
    options.table = table ? &table->model : nullptr;
    options.bitTable = table && table->bits ? &*table->bits : nullptr;
    options.sources = scriptSourcesOnDisk(scriptPath);
    const InsertPlan plan = planInsert(std::span(bytes.data(), bytes.size()),
                                       std::string_view(reinterpret_cast<const char*>(text.data()), text.size()), options);
    if (!plan.problem.empty()) return Failure{"insert: " + scriptPath + ": " + plan.problem + " Nothing was written."};
    for (const ScriptWrite& w : plan.writes) std::copy(w.bytes.begin(), w.bytes.end(), bytes.begin() + w.at);
    if (Outcome saved = save(o.file, bytes.data(), bytes.size(), err)) return saved;
    for (const std::string& w : plan.warnings) err.write("tarpon-hex: insert: " + scriptPath + ": " + w + "\n");
    if (!o.flags.contains("quiet")) err.write("tarpon-hex: insert: " + describeInsert(plan) + "\n");
    return std::nullopt;
}

// Only the reading of a command's options, for checkToolOptions.
template <class T, Read<T> (*reader)(const std::vector<std::string>&)>
Outcome checkOnly(const std::vector<std::string>& args) {
    Read<T> read = reader(args);
    if (auto* failed = std::get_if<Failure>(&read)) return *failed;
    return std::nullopt;
}

// diff and patch write their own complaints and keep their own statuses (diff: 1
// when the files differ, with nothing to complain of).
template <int (*run)(const std::vector<std::string>&, std::string&, std::string&)>
Outcome ownStatus(const std::vector<std::string>& args, Output& out, Output& err) {
    std::string o, e;
    const int status = run(args, o, e);
    out.write(o);
    err.write(e);
    if (status == kExitDone) return std::nullopt;
    return Failure{{}, status};
}

// Their options are read as they run.
Outcome readWhenRun(const std::vector<std::string>&) { return std::nullopt; }

}  // namespace

// The commands, in the order of the help text.
const std::vector<ToolCommand>& toolCommands() {
    static const std::vector<ToolCommand> commands = {
        {"find",
         "Usage: tarpon-hex find [--table T.tbl] [--relative [--alphabet ascii|hiragana|katakana|SEQUENCE]] TEXT FILE\n"
         "Prints the offset of every place in FILE that holds TEXT, one a line (0x and hex digits).\n"
         "  --table T.tbl   TEXT is spelled through the table, in every way it can be\n"
         "                  (without it, TEXT is read as Latin-1 characters)\n"
         "  --relative      looks for the same steps between the letters instead\n"
         "  --alphabet A    the letters' order for --relative: ascii (the default), hiragana,\n"
         "                  katakana, or a SEQUENCE of characters\n",
         find, checkOnly<FindOptions, readFindOptions>},
        {"dump",
         "Usage: tarpon-hex dump --table T.tbl --from OFFSET --to OFFSET [--out SCRIPT] FILE\n"
         "       tarpon-hex dump --table T.tbl --pointers OFFSET --count N --size 2|3|4 [--big-endian]\n"
         "                       [--add NUMBER] [--length N] [--out SCRIPT] FILE\n"
         "       tarpon-hex dump --commands COMMANDS.txt [--out SCRIPT] FILE\n"
         "Writes the strings of a range of FILE, or those a pointer table points at, as a script:\n"
         "to standard output, or to the file --out names (--out - is standard output).\n"
         "  --commands F    every block of a Cartographer command file, in order, into one script,\n"
         "                  through the tables its #TABLE lines name (found from F's folder)\n",
         dump, checkOnly<DumpOptions, readDumpOptions>},
        {"insert",
         "Usage: tarpon-hex insert --script SCRIPT [--table T.tbl] [--dialect atlas|abcde]\n"
         "                         [--script-encoding ENCODING] [--quiet] FILE\n"
         "Runs an Atlas (or abcde) insertion script on FILE: its strings and pointers, through the tables\n"
         "it names (#ADDTBL, found from the script's folder) or else --table; writes nothing at all when\n"
         "a line is refused, and says on standard error what it wrote (--quiet: nothing).\n",
         insert, checkOnly<Options, readInsertOptions>},
        {"diff",
         "Usage: tarpon-hex diff A B\n"
         "Prints one line per run of bytes that differ, 0xSTART-0xEND (inclusive) and its length; the bytes\n"
         "past the end of the shorter file are one run. Status 0: the same; 1: they differ; 2: an error.\n",
         ownStatus<runDiff>, readWhenRun},
        {"patch",
         "Usage: tarpon-hex patch create ORIGINAL MODIFIED PATCH.ips|PATCH.bps\n"
         "       tarpon-hex patch apply PATCH.ips|PATCH.bps FILE --out OUTPUT\n"
         "Makes the IPS or BPS patch (by PATCH's extension) that turns ORIGINAL into MODIFIED, or writes\n"
         "FILE with the patch applied to OUTPUT; a damaged patch or another original writes nothing.\n",
         ownStatus<runPatch>, readWhenRun},
    };
    return commands;
}

int64_t writeHits(const SearchRequest& request, bool relative, std::span<const uint8_t> doc, Output& out) {
    int64_t hits = 0;
    const auto print = [&](int64_t at) {
        char line[32];
        const int n = std::snprintf(line, sizeof line, "0x%llX\n", static_cast<unsigned long long>(at));
        out.write(std::string_view(line, static_cast<size_t>(n)));
        ++hits;
        return true;
    };
    const auto size = static_cast<int64_t>(doc.size());
    if (relative) {
        // As the window's relative Find: the steps of the pattern alone.
        const RingQuery q{doc.data(), size, request.pattern.data(), static_cast<int64_t>(request.pattern.size()),
                          request.wildcard, 0, true};
        forEachWholeMatch(q, print);
        return hits;
    }
    forEachWholeMatchOfAny(doc.data(), size, request.pattern, request.otherSpellings, request.wildcard, print);
    return hits;
}

}  // namespace tarpon
