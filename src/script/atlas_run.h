#pragma once
// The state of one insertion script's run, and the steps its commands are made of.
// atlas_run.cpp: text, strings and writes; atlas_commands.cpp: each command;
// atlas_tables.cpp: the files a script names; atlas_calc.cpp: #CALC expressions.
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "core/bit_table.h"
#include "core/spell_rules.h"
#include "script/atlas_lines.h"
#include "script/atlas_pointers.h"
#include "script/insert_plan.h"

namespace tarpon {

enum class VarType { Table, PointerTable, PointerList, CustomPointer, EmbPointerTable, CalcVar, Counter, Extension };

struct ScriptVar {
    VarType type = VarType::Table;
    int index = -1;  // its object in the run's list of that kind; -1 until made
    int64_t value = 0;  // a CALCVAR's
};

struct ScriptTableVar {
    std::unique_ptr<Table> table;
    std::unique_ptr<RuleSpeller> speller;
    std::unique_ptr<BitTable> bits;  // a table of bit keys, which spells its text instead
    std::string file;  // as the #ADDTBL named it
    int line = 0;      // that #ADDTBL's
};
struct PointerTableVar {
    int64_t next = 0, step = 0;
    int64_t end = -1;  // an embedded table's first byte after its slots, else -1
    int64_t start = 0;
    PointerKind kind;
};
struct PointerListVar {
    std::vector<int64_t> places;
    size_t next = 0;
    PointerKind kind;
};
struct CounterVar {
    int bits = 8;
    int64_t value = 0;
};
struct EmbeddedPointer {
    bool set = false, written = false;
    int64_t at = 0, target = 0;
    PointerKind kind;
    int line = 0;
};
struct AutoWriteTarget {
    bool list = false;
    int index = 0;
    std::string name;
};

// abcde's text through table switches is spelled in pieces of about this many bytes (see spellPending).
inline constexpr size_t kSwitchPiece = size_t{64} << 10;

class AtlasRun {
public:
    AtlasRun(std::span<const uint8_t> doc, const InsertOptions& options, InsertPlan& plan)
        : doc_(doc), options_(options), plan_(plan) {}
    bool run(std::string_view text);

    // atlas_commands.cpp
    bool command(const ScriptCommand& c, int line);

private:
    bool fail(int line, const std::string& why);
    void warn(int line, const std::string& what);
    bool abcde() const { return plan_.dialect == ScriptDialect::Abcde; }

    // atlas_run.cpp: text and strings
    bool addText(const ScriptLine& line);
    bool flush();
    bool spellPending();
    bool spellAndWrite(const RuleSpeller& speller, std::string_view text, const std::function<int(size_t)>& lineOf);
    // The string being gathered (`endText` empty: ended by a command or the script's end).
    bool writeString(std::vector<uint8_t>& body, int tokens, std::string_view endText, int line);
    bool writeText(std::span<const uint8_t> bytes, int line);
    bool runQueuedCommands(int64_t at);
    bool putBytes(int64_t at, std::span<const uint8_t> bytes, int line, bool text);
    bool writePointer(int64_t at, const PointerKind& kind, int64_t target, int line);
    bool writeAutomatic(const AutoWriteTarget& t, int line, int64_t target = -1);  // -1: to pos_
    const RuleSpeller* activeSpeller(int line);

    // atlas_commands.cpp
    bool number(const ScriptCommand& c, size_t i, int line, int64_t& value);
    ScriptVar* variable(const ScriptCommand& c, size_t i, int line, std::initializer_list<VarType> types);
    bool usage(const ScriptCommand& c, int line);
    bool jump(const ScriptCommand& c, int line);
    bool declare(const ScriptCommand& c, int line);
    bool addTable(const ScriptCommand& c, int line);
    void addSwitches(RuleSpeller& speller, const LogicalTable& part);
    bool checkSwitchTargets();
    bool activeTable(const ScriptCommand& c, int line);
    bool queueCommand(const ScriptCommand& c, int line);
    bool calc(const ScriptCommand& c, int line);

    // atlas_writes.cpp
    // A pointer's kind with the header the dialect reads (Atlas: the one it was made with; a
    // warning, once, when that is no longer the one in force).
    PointerKind currentKind(const PointerKind& captured, int line);
    PointerKind defaultKind(int bits) const { return {map_, 0, bits, header_}; }
    bool pointerPart(const ScriptCommand& c, int line);
    bool createPointer(const ScriptCommand& c, int line);
    bool write(const ScriptCommand& c, int line);
    bool pointerTable(const ScriptCommand& c, int line);
    bool pointerList(const ScriptCommand& c, int line);
    bool autoWrite(const ScriptCommand& c, int line, bool on);
    bool embedded(const ScriptCommand& c, int line, bool set);
    bool writeValue(int64_t at, uint32_t value, int bytes, int line);

    // atlas_settings.cpp: nothing when the command is not one of theirs
    std::optional<bool> setting(const ScriptCommand& c, int line);
    std::optional<bool> positional(const ScriptCommand& c, int line);
    std::optional<bool> counter(const ScriptCommand& c, int line);  // counters and indexes
    bool readByte(int64_t at, int line, int64_t& value);

    // atlas_tables.cpp
    std::optional<std::string> readNamedFile(const std::string& named, int line, const char* what);
    std::optional<std::string> findNamedFile(const std::string& named, std::vector<std::string>& tried) const;

    // atlas_bits.cpp: tables of bit keys
    // Whether a table the script uses has bit keys (which make it abcde's).
    bool usesBitTables(std::string_view text) const;
    // The table `part` of `file` as a table of bit keys into `t`, when it has such keys;
    // nothing when it has none, false when it cannot be used.
    std::optional<bool> readBitTable(std::string_view part, const std::string& file, int line, ScriptTableVar& t);
    const BitTable* bitTableOf(const RuleSpeller* speller) const {
        const auto it = bitTables_.find(speller);
        return it == bitTables_.end() ? nullptr : it->second;
    }
    bool writeBits(const BitTable& table, std::string_view text, const std::function<int(size_t)>& lineOf);
    bool isActiveEndText(std::string_view text) const;

    std::span<const uint8_t> doc_;
    const InsertOptions& options_;
    InsertPlan& plan_;

    std::map<std::string, ScriptVar> vars_;
    std::vector<ScriptTableVar> tables_;
    std::vector<PointerKind> customPointers_;
    std::vector<PointerTableVar> pointerTables_;
    std::vector<PointerListVar> pointerLists_;
    std::vector<CounterVar> counters_;
    std::map<int64_t, EmbeddedPointer> embedded_;
    std::map<std::string, std::vector<AutoWriteTarget>, std::less<>> autoWrites_;  // by end token's text
    std::multimap<int64_t, std::pair<ScriptCommand, int>> queued_;    // #AUTOCMD: by file offset
    std::unique_ptr<RuleSpeller> fallbackSpeller_;
    std::map<const RuleSpeller*, const BitTable*> bitTables_;  // the spellers of tables of bit keys
    const RuleSpeller* active_ = nullptr;
    std::map<std::string, int> tableIds_;  // abcde's "@name" ids: the table's place in tables_
    bool namesTables_ = false;  // the script has #ADDTBL lines

    struct GatheredText {
        std::vector<uint8_t> body;       // the string so far
        int tokens = 0, line = 0;        // its pieces; the line of the last
        std::vector<SpellPiece> pieces;  // room for one line's pieces
    } text_;
    std::string pending_;                              // abcde: text lines since the last command
    std::vector<std::pair<size_t, int>> lineStarts_;  // where each starts in pending_, its number
    int64_t pos_ = -1, bound_ = -1;
    int64_t header_ = 0;
    AddressMap map_ = AddressMap::Linear;
    bool bigEndian_ = false, pascal_ = false, pascalTokens_ = false, stopped_ = false, headerNoted_ = false;
    int pascalLength_ = 1;
    int64_t fixedLength_ = 0, align_ = 0;
    uint8_t fill_ = 0;
    PointerKind embKind_{AddressMap::Linear, 0, 16, 0};
    int64_t index_ = 0, indexSize_ = 1;  // #SETINDEX / #WRITEINDEX
};

// A #CALC expression's value, with CALCVAR values found through `value`; nothing
// and `problem` when it is malformed.
std::optional<int64_t> evaluateCalc(std::string_view expr, const std::function<std::optional<int64_t>(std::string_view)>& value,
                                    std::string& problem);

}  // namespace tarpon
