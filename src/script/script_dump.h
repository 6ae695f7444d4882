#pragma once
// Script dump: the strings of a file read through the table into a UTF-8 script
// that an insert (this editor's, or Atlas's for the common commands) takes back.
// Each string is preceded by where it came from, in Cartographer's comment form,
// and by the commands an insert needs, so that inserting the unchanged script gives
// back the same bytes.
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/pointer_settings.h"
#include "core/progress.h"
#include "core/table.h"
#include "script/script_text.h"

namespace tarpon {

struct DumpRequest {
    bool pointers = false;       // false: the range from..to; true: a pointer table
    int64_t from = 0, to = 0;    // the range's first and last byte
    int64_t tableAt = 0;         // the pointer table's first byte
    int64_t count = 0;           // how many pointers
    PointerSettings p;           // their size, byte order and added number
    int64_t maxLength = 0;       // a pointed-at string's longest length; 0: to its end token
    std::string source;          // named in the first comment: the file and the table
    uint64_t maxScript = kMaxScriptSize;  // a longer script is refused
};

struct DumpResult {
    std::string script;   // empty when `problem` says why nothing was dumped
    std::string problem;
    int64_t strings = 0;
    bool cancelled = false;  // stopped by the progress: no script, `problem` says so
};

// Runs `work`, which fills `out`: a failed allocation becomes the message "There is
// not enough memory for the script: " + `advice`, and a stop of `progress` a cancel;
// nothing of a half-made script is kept.
void guardDump(DumpResult& out, const Progress& progress, const std::string& advice, const std::function<void()>& work);

DumpResult dumpScript(const Table& table, std::span<const uint8_t> doc, const DumpRequest& request,
                      const Progress& progress = {});

// The string from `start` up to its end token or `limit`, appended to `out` as
// script text that spells back to exactly its bytes; gives the byte after it.
// `ended`, when given, tells whether an end token ended it (else `limit` did).
// How much of a string is read: with `drop`, the text read straight on is counted in
// `dropped` and let go, all but its last character (the string's size is `dropped`
// plus what `out` gained), so that a script can be measured without its memory; past
// `most` bytes the string is not read further (the caller refuses the script).
struct Measure {
    bool drop = false;
    uint64_t dropped = 0;
    uint64_t most = UINT64_MAX;
};
int64_t readScriptString(const ScriptTable& st, std::span<const uint8_t> doc, int64_t start, int64_t limit,
                         std::string& out, const Progress& progress = {}, bool* ended = nullptr,
                         Measure* measure = nullptr);

// The command that makes the insert write pointers in this byte order from there on.
std::string endianCommand(bool bigEndian);

// Why `request` cannot be dumped from a file of `size` bytes, or "".
std::string checkDumpRequest(const DumpRequest& request, int64_t size);
// Refuses the script when `size` passes the request's bound: true, `out` says why.
bool scriptTooLarge(uint64_t size, const DumpRequest& request, DumpResult& out);

// A pointed-at string as a dump reads it: its text (empty when only measured), its
// size in the script and the byte after it.
struct PointedString {
    std::string text;
    uint64_t size = 0;
    int64_t end = 0;
};
using ReadPointed = std::function<void(int64_t target, int64_t limit, PointedString& s)>;
// The pointer table's part of a script, appended to `out.script`: each pointer read,
// each string it points at read once, in address order, by `read`, its pointers'
// writes before its text. With `dropped`, what is written is counted there and let
// go (a measuring run).
void dumpPointerTable(std::span<const uint8_t> doc, const DumpRequest& request, DumpResult& out,
                      const Progress& progress, uint64_t* dropped, const ReadPointed& read);

}  // namespace tarpon
