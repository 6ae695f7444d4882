// Each command of an insertion script: what it checks and what it changes.
#include <algorithm>
#include <map>

#include "script/atlas_run.h"
#include "script/script_text.h"

namespace tarpon {
namespace {

// How each command is written, for the message when its arguments do not fit.
const std::map<std::string, std::string>& usages() {
    static const std::map<std::string, std::string> u{
        {"JMP", "#JMP(start) or #JMP(start, last byte)"}, {"HDR", "#HDR(size)"},
        {"VAR", "#VAR(name, TABLE|POINTERTABLE|POINTERLIST|CUSTOMPOINTER|EMBPOINTERTABLE|CALCVAR|COUNTER)"},
        {"ADDTBL", "#ADDTBL(\"file\", table)"}, {"ACTIVETBL", "#ACTIVETBL(table)"},
        {"SMA", "#SMA(\"LINEAR|LOROM00|LOROM80|HIROM|GB|GB4XXX|MSB16|MSB24|MSB32|POINTER_RELATIVE\")"},
        {"STRTYPE", "#STRTYPE(\"ENDTERM|PASCAL\")"}, {"PASCALLEN", "#PASCALLEN(1 to 4)"},
        {"PASCALTYPE", "#PASCALTYPE(\"BYTES|TOKENS\")"}, {"EMBTYPE", "#EMBTYPE(\"type\", 8|16|24|32, offsetting)"},
        {"EMBSET", "#EMBSET(number)"}, {"EMBWRITE", "#EMBWRITE(number)"},
        {"CREATEPTR", "#CREATEPTR(name, \"type\", offsetting, 8|16|24|32)"},
        {"WRITE", "#WRITE(pointer, address), #WRITE(table or list), #WRITE(table, index) or #WRITE(counter, address)"},
        {"PTRTBL", "#PTRTBL(table, start, step, pointer)"}, {"PTRLIST", "#PTRLIST(list, \"file\", pointer)"},
        {"EMBPTRTBL", "#EMBPTRTBL(table, count, pointer)"},
        {"AUTOWRITE", "#AUTOWRITE(table or list, \"end token\")"}, {"DISABLE", "#DISABLE(table or list, \"end token\")"},
        {"ENDIANSWAP", "#ENDIANSWAP(\"TRUE|FALSE\")"}, {"ENDIAN", "#ENDIAN(\"BIG|LITTLE\")"},
        {"FIXEDLENGTH", "#FIXEDLENGTH(length, fill byte)"}, {"STRINGALIGN", "#STRINGALIGN(n)"},
        {"WARN", "#WARN(address, \"label\")"}, {"BREAK", "#BREAK()"}, {"AUTOCMD", "#AUTOCMD(address, #COMMAND(…))"},
        {"CALC", "#CALC(calcvar, \"expression\")"}, {"READ", "#READ(calcvar, address)"},
        {"PRINT", "#PRINT(calcvar, bits, a multiple of 8)"}, {"SKIP", "#SKIP(bytes)"},
        {"CREATECTR", "#CREATECTR(counter, bits, value)"}, {"INC", "#INC(counter, n)"},
        {"CONTINUOUSFILE", "#CONTINUOUSFILE(\"TRUE|FALSE\")"}, {"ALIGN", "#ALIGN(n)"},
        {"WRITEOFS", "#WRITEOFS(table, offset)"}, {"SETINDEX", "#SETINDEX(value, size)"},
        {"WRITEINDEX", "#WRITEINDEX(address, step)"},
    };
    return u;
}

bool isPointerPart(const std::string& name) {
    return name == "W8" || name == "WLB" || name == "WHB" || name == "WBB" || name == "WUB" || name == "W16" ||
           name == "W24" || name == "W32" || name == "WHW";
}

const std::map<std::string, VarType>& varTypes() {
    static const std::map<std::string, VarType> t{
        {"TABLE", VarType::Table},         {"POINTERTABLE", VarType::PointerTable},
        {"POINTERLIST", VarType::PointerList}, {"CUSTOMPOINTER", VarType::CustomPointer},
        {"EMBPOINTERTABLE", VarType::EmbPointerTable}, {"CALCVAR", VarType::CalcVar},
        {"COUNTER", VarType::Counter},     {"EXTENSION", VarType::Extension}};
    return t;
}

std::string upper(std::string_view s) {
    std::string out;
    for (const char c : s) out += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    return out;
}

bool isString(const ScriptCommand& c, size_t i) { return i < c.args.size() && c.args[i].kind == ArgKind::String; }

}  // namespace

bool AtlasRun::usage(const ScriptCommand& c, int line) {
    const auto it = usages().find(c.name);
    if (isPointerPart(c.name)) return fail(line, "#" + c.name + " is written #" + c.name + "(address) or #" + c.name + "(pointer, address).");
    if (it == usages().end()) return fail(line, "#" + c.name + " is not a command this editor reads.");
    return fail(line, "#" + c.name + " with these arguments: it is written " + it->second + ".");
}

bool AtlasRun::number(const ScriptCommand& c, size_t i, int line, int64_t& value) {
    if (i >= c.args.size()) return usage(c, line);
    const ScriptArg& a = c.args[i];
    if (a.kind == ArgKind::Number) {
        value = a.number;
        return true;
    }
    if (a.kind == ArgKind::Name && a.text == "CURRENT_ADDRESS") {
        value = pos_;
        return true;
    }
    const auto it = vars_.find(a.text);
    if (a.kind == ArgKind::Name && it != vars_.end() && it->second.type == VarType::CalcVar) {
        value = it->second.value;
        return true;
    }
    return usage(c, line);
}

ScriptVar* AtlasRun::variable(const ScriptCommand& c, size_t i, int line, std::initializer_list<VarType> types) {
    if (i >= c.args.size() || c.args[i].kind != ArgKind::Name) {
        usage(c, line);
        return nullptr;
    }
    const auto it = vars_.find(c.args[i].text);
    if (it == vars_.end()) {
        fail(line, "#" + c.name + ": " + c.args[i].text + " is not declared (#VAR) on an earlier line.");
        return nullptr;
    }
    if (std::find(types.begin(), types.end(), it->second.type) == types.end()) {
        usage(c, line);
        return nullptr;
    }
    return &it->second;
}

bool AtlasRun::command(const ScriptCommand& c, int line) {
    const std::string& n = c.name;
    if (n == "EXTLOAD" || n == "EXTEXEC" || n == "AUTOEXEC" || n == "LOADEXT" || n == "EXECEXT" ||
        (n == "DISABLE" && isString(c, 0)))
        return fail(line, "#" + n + " runs a Windows plug-in of Atlas's; this editor does not run plug-ins.");
    if (n == "SETTARGETFILE" || n == "SETPTRFILE" || n == "INSERTBINARY" || n == "INSERT" || n == "FILL")
        return fail(line, "#" + n + " works on other files or fills ranges; this editor writes into the open file only.");
    if (isPointerPart(n)) return pointerPart(c, line);
    if (n == "JMP") return jump(c, line);
    if (n == "VAR") return declare(c, line);
    if (n == "ADDTBL") return addTable(c, line);
    if (n == "ACTIVETBL") return activeTable(c, line);
    if (n == "WRITE") return write(c, line);
    if (n == "EMBSET" || n == "EMBWRITE") return embedded(c, line, n == "EMBSET");
    if (n == "AUTOWRITE" || n == "DISABLE") return autoWrite(c, line, n == "AUTOWRITE");
    if (n == "CREATEPTR") return createPointer(c, line);
    if (n == "PTRTBL" || n == "EMBPTRTBL") return pointerTable(c, line);
    if (n == "PTRLIST") return pointerList(c, line);
    if (n == "CALC") return calc(c, line);
    if (n == "AUTOCMD") return queueCommand(c, line);
    if (const std::optional<bool> done = setting(c, line)) return *done;
    if (const std::optional<bool> done = positional(c, line)) return *done;
    return usage(c, line);
}

bool AtlasRun::jump(const ScriptCommand& c, int line) {
    const size_t numbers = c.args.size() - (isString(c, c.args.size() - 1) ? 1 : 0);  // 1.12's name labels it only
    int64_t start = 0, last = -1;
    if (numbers < 1 || numbers > 2 || !number(c, 0, line, start) || (numbers == 2 && !number(c, 1, line, last)))
        return plan_.problem.empty() ? usage(c, line) : false;
    if (start < 0 || start > static_cast<int64_t>(doc_.size()))
        return fail(line, "#JMP to " + scriptNumber(start) + ", outside the file.");
    if (numbers == 2 && last < start) return fail(line, "#JMP's last byte lies before its first.");
    pos_ = start;
    bound_ = numbers == 2 ? last : -1;
    return true;
}

bool AtlasRun::declare(const ScriptCommand& c, int line) {
    if (c.args.size() != 2 || c.args[0].kind != ArgKind::Name || c.args[0].text.empty()) return usage(c, line);
    const auto type = varTypes().find(upper(c.args[1].text));
    if (type == varTypes().end()) return usage(c, line);
    vars_[c.args[0].text] = ScriptVar{type->second};
    return true;
}

bool AtlasRun::addTable(const ScriptCommand& c, int line) {
    if (c.args.size() != 2 || !isString(c, 0)) return usage(c, line);
    ScriptVar* v = variable(c, 1, line, {VarType::Table});
    if (!v) return false;
    const std::string& file = c.args[0].text;
    const std::optional<std::string> bytes = readNamedFile(file, line, "table");
    if (!bytes) return false;
    // Atlas reads "!" lines as entries it passes over; abcde's switches and weights are abcde's alone.
    const LogicalTables parts = readLogicalTables(*bytes, abcde());
    if (!parts.problem.empty()) return fail(line, "the table \"" + file + "\", " + parts.problem);
    v->index = static_cast<int>(tables_.size());  // a file of several tables: the first
    for (const LogicalTable& part : parts.tables) {
        ScriptTableVar t{std::make_unique<Table>(), nullptr, nullptr, file, line};
        std::string problem;
        const std::optional<bool> bits = readBitTable(part.lines, file, line, t);
        if (bits == false) return false;
        const bool read = bits || (options_.sources.readTable && options_.sources.readTable(part.lines, *t.table, problem));
        if (!read && (part.switches.empty() || !options_.sources.readTable))  // switches alone make a table too
            return fail(line, "the table \"" + file + "\"" + (part.id.empty() ? "" : " @" + part.id) + ": " + problem);
        if (t.bits && !part.switches.empty())
            return fail(line, "the table \"" + file + "\"" + (part.id.empty() ? "" : " @" + part.id) +
                                  " has keys of bits and table switches: this editor reads the one or the other.");
        t.speller = std::make_unique<RuleSpeller>(*t.table, abcde() ? SpellRule::Abcde : SpellRule::Atlas);
        if (t.bits) bitTables_[t.speller.get()] = t.bits.get();
        else addSwitches(*t.speller, part);
        if (!part.id.empty() && !tableIds_.emplace(part.id, static_cast<int>(tables_.size())).second)
            return fail(line, "the table id @" + part.id + " is given twice.");
        tables_.push_back(std::move(t));
    }
    return true;
}

void AtlasRun::addSwitches(RuleSpeller& speller, const LogicalTable& part) {
    for (const TableSwitch& sw : part.switches) speller.addSwitch(sw);
    speller.setWeights(part.weights);
    speller.setSwitchTables([this](std::string_view id) -> const RuleSpeller* {
        const auto it = tableIds_.find(std::string(id));
        return it == tableIds_.end() ? nullptr : tables_[static_cast<size_t>(it->second)].speller.get();
    });
}

// Every table a switch names is loaded (abcde loads them all before any text).
bool AtlasRun::checkSwitchTargets() {
    for (const ScriptTableVar& t : tables_)
        for (const TableSwitch& sw : t.speller->switches())
            for (const SwitchPart& p : sw.parts)
                if (!p.target.empty() && !tableIds_.contains(p.target))
                    return fail(t.line, "the table \"" + t.file + "\" switches to @" + p.target + ", which no table loaded has.");
    return true;
}

bool AtlasRun::activeTable(const ScriptCommand& c, int line) {
    if (c.args.size() == 1 && c.args[0].text.starts_with('@')) {  // abcde: a table by its id
        const auto it = tableIds_.find(c.args[0].text.substr(1));
        if (it == tableIds_.end()) return fail(line, "#ACTIVETBL: no table loaded has the id " + c.args[0].text + ".");
        active_ = tables_[static_cast<size_t>(it->second)].speller.get();
        return true;
    }
    if (c.args.size() != 1) return usage(c, line);
    const ScriptVar* v = variable(c, 0, line, {VarType::Table});
    if (!v) return false;
    if (v->index < 0) return fail(line, "#ACTIVETBL: no table was loaded into " + c.args[0].text + " (#ADDTBL).");
    active_ = tables_[static_cast<size_t>(v->index)].speller.get();
    return true;
}

bool AtlasRun::queueCommand(const ScriptCommand& c, int line) {
    int64_t at = 0;
    if (c.args.size() != 2 || !number(c, 0, line, at) || !c.args[1].text.starts_with('#')) return plan_.problem.empty() ? usage(c, line) : false;
    std::string problem;
    std::optional<ScriptCommand> queued = parseCommand(c.args[1].text, problem);
    if (!queued) return fail(line, "#AUTOCMD: " + problem);
    queued_.insert({at, {std::move(*queued), line}});
    return true;
}

bool AtlasRun::calc(const ScriptCommand& c, int line) {
    ScriptVar* v = c.args.size() == 2 && isString(c, 1) ? variable(c, 0, line, {VarType::CalcVar}) : nullptr;
    if (!v) return plan_.problem.empty() ? usage(c, line) : false;
    std::string problem;
    const auto value = evaluateCalc(c.args[1].text, [this](std::string_view name) -> std::optional<int64_t> {
        if (name == "CURRENT_ADDRESS") return pos_;
        const auto it = vars_.find(std::string(name));
        if (it == vars_.end() || it->second.type != VarType::CalcVar) return std::nullopt;
        return it->second.value;
    }, problem);
    if (!value) return fail(line, "#CALC: " + problem);
    v->value = *value;
    return true;
}

}  // namespace tarpon
