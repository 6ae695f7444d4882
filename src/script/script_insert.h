#pragma once
// Script insert: an insertion script in Atlas's command language (with abcde's
// additions and those of the Atlas variants translators use) turned into the bytes
// it writes. docs/scripts.md lists the commands and where the tools' rules differ.
// Anything refused names its line, and then nothing is written.
#include <span>
#include <string>
#include <string_view>

#include "script/insert_plan.h"

namespace tarpon {

struct EditorState;

InsertPlan planInsert(std::span<const uint8_t> doc, std::string_view script, const InsertOptions& options);

// Writes the plan into the document as one undo step; the document's length never changes.
void applyInsert(EditorState& s, const InsertPlan& plan);

// "Wrote 12 strings, 340 bytes of text and 12 pointers."
std::string describeInsert(const InsertPlan& plan);

}  // namespace tarpon
