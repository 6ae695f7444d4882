#pragma once
// Script insert: a script in the subset of Atlas's syntax that the dump writes and
// translators use, turned into the bytes it writes.
//   // comment             to the end of the line, also after text or a command
//   #JMP($start)           where the following text goes
//   #JMP($start, $end)     ... and the last byte it may use
//   #W16($addr) #W24 #W32  write, at addr, a pointer to where the next text goes
//   #HDR($n)               pointer value = file offset - n (n may be negative)
//   #SMA("LINEAR")         file offsets map to pointer values linearly (the only mapping read)
//   #ENDIAN("BIG")         pointers big-endian from here on ("LITTLE", the default, back)
//   text                   spelled through the table, longest entry first; <$XX> a raw byte;
//                          line breaks are not data
// Any other command is refused with its line number, as is text that begins no entry,
// text before the first #JMP, and text that would pass its #JMP's end or the file's end.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/progress.h"
#include "core/table.h"
#include "script/script_text.h"

namespace tarpon {

struct EditorState;


struct ScriptWrite {
    int64_t at = 0;
    std::vector<uint8_t> bytes;
};

struct InsertPlan {
    std::vector<ScriptWrite> writes;  // in script order; empty when `problem` says why
    std::string problem;
    int64_t textBytes = 0, pointers = 0;
    bool cancelled = false;  // stopped by the progress: no writes, `problem` says so
};

InsertPlan planInsert(const Table& table, std::span<const uint8_t> doc, std::string_view script,
                      const Progress& progress = {});

// Writes the plan into the document as one undo step; the document's length never changes.
void applyInsert(EditorState& s, const InsertPlan& plan);

// "Wrote N bytes of text and M pointers."
std::string describeInsert(const InsertPlan& plan);

}  // namespace tarpon
