#include "script/script_insert.h"

#include "core/edits.h"
#include "core/editor_state.h"
#include "script/atlas_lines.h"
#include "script/atlas_run.h"

namespace tarpon {

InsertPlan planInsert(std::span<const uint8_t> doc, std::string_view script, const InsertOptions& options) {
    InsertPlan plan;
    DecodedScript decoded = decodeScript(script, options.encoding);
    if (!decoded.problem.empty()) {
        plan.problem = decoded.problem;
        return plan;
    }
    AtlasRun run(doc, options, plan);
    if (!run.run(decoded.text)) {
        plan.writes.clear();
        plan.warnings.clear();
    }
    if (options.progress && options.progress->stopped()) {
        plan = InsertPlan();
        plan.problem = "The insert was cancelled.";
        plan.cancelled = true;
    }
    return plan;
}

void applyInsert(EditorState& s, const InsertPlan& plan) {
    bool joined = false;
    for (const ScriptWrite& w : plan.writes) {
        spliceRecorded(s, w.at, static_cast<int64_t>(w.bytes.size()), w.bytes, joined);
        joined = true;
    }
}

std::string describeInsert(const InsertPlan& plan) {
    return "Wrote " + std::to_string(plan.strings) + (plan.strings == 1 ? " string, " : " strings, ") +
           std::to_string(plan.textBytes) + " bytes of text and " + std::to_string(plan.pointers) +
           (plan.pointers == 1 ? " pointer." : " pointers.");
}

}  // namespace tarpon
