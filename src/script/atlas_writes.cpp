// The commands that write pointers: the low-level #W16 family, custom pointers with
// #WRITE, pointer tables and lists, #AUTOWRITE, and embedded pointers.
#include "script/atlas_run.h"
#include "script/script_text.h"

namespace tarpon {
namespace {

bool isString(const ScriptCommand& c, size_t i) { return i < c.args.size() && c.args[i].kind == ArgKind::String; }
bool sizeOk(int64_t bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }

struct PartWrite {
    int bytes = 0, shift = 0;
};
PartWrite partOf(const std::string& name) {
    if (name == "W16") return {2, 0};
    if (name == "W24") return {3, 0};
    if (name == "W32") return {4, 0};
    if (name == "WHW") return {2, 16};
    if (name == "WHB") return {1, 8};
    if (name == "WBB") return {1, 16};
    if (name == "WUB") return {1, 24};
    return {1, 0};  // W8, WLB
}

}  // namespace

bool AtlasRun::pointerPart(const ScriptCommand& c, int line) {
    const PartWrite part = partOf(c.name);
    int64_t at = 0;
    if ((c.args.size() != 1 && c.args.size() != 2) || !number(c, c.args.size() - 1, line, at))
        return plan_.problem.empty() ? usage(c, line) : false;
    uint32_t value = 0;
    bool pointer = true;
    if (c.args.size() == 2) {
        const ScriptVar* v = variable(c, 0, line, {VarType::CustomPointer, VarType::CalcVar, VarType::Counter});
        if (!v) return false;
        pointer = v->type == VarType::CustomPointer;
        if (v->index < 0 && v->type != VarType::CalcVar) return fail(line, "#" + c.name + ": " + c.args[0].text + " was never made.");
        if (pointer && pos_ < 0) return fail(line, "#" + c.name + " before the first #JMP: there is nothing to point at yet.");
        if (v->type == VarType::CustomPointer) value = pointerValue(currentKind(customPointers_[static_cast<size_t>(v->index)], line), pos_, at);
        else value = static_cast<uint32_t>(v->type == VarType::CalcVar ? v->value : counters_[static_cast<size_t>(v->index)].value);
    } else {
        if (pos_ < 0) return fail(line, "#" + c.name + " before the first #JMP: there is nothing to point at yet.");
        value = pointerValue(defaultKind(32), pos_, at);
    }
    if (!writeValue(at, value >> part.shift, part.bytes, line)) return false;
    plan_.pointers += pointer ? 1 : 0;
    return true;
}

bool AtlasRun::createPointer(const ScriptCommand& c, int line) {
    int64_t offsetting = 0, bits = 0;
    if (c.args.size() != 4 || !isString(c, 1) || !number(c, 2, line, offsetting) || !number(c, 3, line, bits))
        return plan_.problem.empty() ? usage(c, line) : false;
    ScriptVar* v = variable(c, 0, line, {VarType::CustomPointer});
    if (!v) return false;
    const std::optional<AddressMap> map = addressMapNamed(c.args[1].text);
    if (!map || !sizeOk(bits)) return usage(c, line);
    v->index = static_cast<int>(customPointers_.size());
    customPointers_.push_back({*map, offsetting, static_cast<int>(bits), header_});
    return true;
}

bool AtlasRun::write(const ScriptCommand& c, int line) {
    ScriptVar* v = variable(c, 0, line, {VarType::CustomPointer, VarType::PointerTable, VarType::PointerList,
                                         VarType::EmbPointerTable, VarType::Counter});
    if (!v) return false;
    if (v->index < 0) return fail(line, "#WRITE: " + c.args[0].text + " was never made.");
    if (pos_ < 0 && v->type != VarType::Counter) return fail(line, "#WRITE before the first #JMP: there is nothing to point at yet.");
    const auto index = static_cast<size_t>(v->index);
    int64_t n = 0;
    if (c.args.size() == 2 && !number(c, 1, line, n)) return false;
    if (c.args.size() > 2 || ((v->type == VarType::CustomPointer || v->type == VarType::Counter) && c.args.size() != 2))
        return usage(c, line);
    switch (v->type) {
    case VarType::CustomPointer: return writePointer(n, currentKind(customPointers_[index], line), pos_, line);
    case VarType::Counter: return writeValue(n, static_cast<uint32_t>(counters_[index].value), counters_[index].bits / 8, line);
    case VarType::PointerList: {
        PointerListVar& list = pointerLists_[index];
        if (c.args.size() != 1) return usage(c, line);
        if (list.next >= list.places.size()) return fail(line, "#WRITE: pointer list " + c.args[0].text + " has no place left.");
        return writePointer(list.places[list.next++], currentKind(list.kind, line), pos_, line);
    }
    default: {
        PointerTableVar& table = pointerTables_[index];
        if (c.args.size() == 2)  // wraps rather than overflows; a slot outside the file is refused when written
            table.next = static_cast<int64_t>(static_cast<uint64_t>(table.start) + static_cast<uint64_t>(n) * static_cast<uint64_t>(table.step));
        if (table.end >= 0 && (table.next < table.start || table.next >= table.end))
            return fail(line, "#WRITE: that slot is outside the embedded pointer table " + c.args[0].text + ".");
        return writeAutomatic({false, v->index, c.args[0].text}, line);
    }
    }
}

bool AtlasRun::pointerTable(const ScriptCommand& c, int line) {
    const bool embedded = c.name == "EMBPTRTBL";
    int64_t start = 0, step = 0;
    if (c.args.size() != (embedded ? 3u : 4u) || !number(c, 1, line, start) || (!embedded && !number(c, 2, line, step)))
        return plan_.problem.empty() ? usage(c, line) : false;
    ScriptVar* v = variable(c, 0, line, {embedded ? VarType::EmbPointerTable : VarType::PointerTable});
    const ScriptVar* p = v ? variable(c, c.args.size() - 1, line, {VarType::CustomPointer}) : nullptr;
    if (!p) return false;
    if (p->index < 0) return fail(line, "#" + c.name + ": " + c.args.back().text + " was never made (#CREATEPTR).");
    PointerTableVar t{start, step, -1, start, customPointers_[static_cast<size_t>(p->index)]};
    if (embedded) {  // `start` is the count: the slots are reserved here
        if (pos_ < 0 || start < 0) return pos_ < 0 ? fail(line, "#EMBPTRTBL before the first #JMP.") : usage(c, line);
        t.step = t.kind.bits / 8;
        t.start = t.next = pos_;
        t.end = pos_ + start * t.step;
        if (t.end > static_cast<int64_t>(doc_.size())) return fail(line, "#EMBPTRTBL: the table runs past the end of the file.");
        const std::vector<uint8_t> zeros(static_cast<size_t>(t.end - pos_), 0);
        if (!abcde() && !putBytes(pos_, zeros, line, false)) return false;
        pos_ = t.end;
    }
    v->index = static_cast<int>(pointerTables_.size());
    pointerTables_.push_back(t);
    return true;
}

bool AtlasRun::pointerList(const ScriptCommand& c, int line) {
    if (c.args.size() != 3 || !isString(c, 1)) return usage(c, line);
    ScriptVar* v = variable(c, 0, line, {VarType::PointerList});
    const ScriptVar* p = v ? variable(c, 2, line, {VarType::CustomPointer}) : nullptr;
    if (!p) return false;
    if (p->index < 0) return fail(line, "#PTRLIST: " + c.args[2].text + " was never made (#CREATEPTR).");
    const std::optional<std::string> text = readNamedFile(c.args[1].text, line, "pointer list");
    if (!text) return false;
    PointerListVar list{{}, 0, customPointers_[static_cast<size_t>(p->index)]};
    ScriptLineReader lines(*text);
    for (ScriptLine l; lines.next(l);) {
        const std::string_view entry = trimBlanks(l.text);
        if (entry.empty() || entry.starts_with('/')) continue;
        const std::optional<int64_t> place = readScriptNumber(entry);
        if (!place) return fail(line, "#PTRLIST: line " + std::to_string(l.number) + " of \"" + c.args[1].text + "\" is not an address.");
        list.places.push_back(*place);
    }
    v->index = static_cast<int>(pointerLists_.size());
    pointerLists_.push_back(std::move(list));
    return true;
}

bool AtlasRun::autoWrite(const ScriptCommand& c, int line, bool on) {
    if (c.args.size() != 2 || !isString(c, 1)) return usage(c, line);
    const ScriptVar* v = variable(c, 0, line, {VarType::PointerTable, VarType::PointerList});
    if (!v) return false;
    const bool list = v->type == VarType::PointerList;
    std::vector<AutoWriteTarget>& targets = autoWrites_[c.args[1].text];
    if (!on) {
        const auto gone = std::erase_if(targets, [&](const AutoWriteTarget& t) {
            return t.list == list && (!abcde() || t.name == c.args[0].text);
        });
        if (gone == 0 && abcde()) return fail(line, "#DISABLE: " + c.args[0].text + " writes no pointers at \"" + c.args[1].text + "\".");
        return true;
    }
    if (v->index < 0) return fail(line, "#AUTOWRITE: " + c.args[0].text + " was never made.");
    if (!activeSpeller(line)) return false;
    if (!isActiveEndText(c.args[1].text))
        return fail(line, "#AUTOWRITE: \"" + c.args[1].text + "\" is no end token of the active table.");
    // Atlas keeps the first table and the first list for each end token; abcde every one.
    for (const AutoWriteTarget& t : targets)
        if (!abcde() && t.list == list) return true;
    targets.push_back({list, v->index, c.args[0].text});
    return true;
}

bool AtlasRun::embedded(const ScriptCommand& c, int line, bool set) {
    int64_t n = 0;
    if (c.args.size() != 1 || !number(c, 0, line, n)) return plan_.problem.empty() ? usage(c, line) : false;
    if (pos_ < 0) return fail(line, "#" + c.name + " before the first #JMP.");
    auto [it, fresh] = embedded_.try_emplace(n);
    EmbeddedPointer& e = it->second;
    if (fresh) e.kind = embKind_, e.kind.header = header_, e.line = line;
    const int bytes = e.kind.bits / 8;
    if (set) {
        e.set = true;
        e.at = pos_;
        if (e.written) {
            if (!writePointer(e.at, currentKind(e.kind, line), e.target, line)) return false;
        } else if (!abcde() && !putBytes(e.at, std::vector<uint8_t>(static_cast<size_t>(bytes), 0), line, false)) {
            return false;
        }
        pos_ += bytes;
        return true;
    }
    e.written = true;
    e.target = pos_;
    return !e.set || writePointer(e.at, currentKind(e.kind, line), e.target, line);
}

}  // namespace tarpon
