#pragma once
// Script dumps through a table of bit keys. The insert reads such a script by abcde's
// rules: all the text up to the next command is one run of bits, so a range dump's
// strings follow each other bit by bit, and each pointed-at string starts at its
// byte and ends, padded, at the byte that holds its last bit. Every piece whose text
// the insert would spell otherwise (or that would change a script line) is written as
// raw bits, `<$XX>` and `<%0>`/`<%1>`, so the unchanged script gives back the same bytes.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/bit_table.h"
#include "core/progress.h"
#include "script/script_dump.h"

namespace tarpon {

// The most data one run of bits is read from: a longer range is refused, a longer
// pointed-at string is cut there (its text then ends without its end token).
inline constexpr int64_t kMaxBitRun = int64_t{4} << 20;

DumpResult dumpBitScript(const BitTable& table, std::span<const uint8_t> doc, const DumpRequest& request,
                         const Progress& progress = {});

// One string read through the table and made safe to insert back.
struct BitString {
    std::string text;
    uint64_t end = 0;    // the bit after it
    bool ended = false;  // an end token ended it
};

// `count` strings from byte `start` (0: all up to byte `limit`), each up to its end
// token or `limit`, one run of bits, each after the first on a line of its own. The
// last byte's bits after them are added as raw bits when any of them is 1, so that
// the padding of an insert gives them back.
BitString readBitStrings(const BitTable& table, std::span<const uint8_t> doc, int64_t start, int64_t limit,
                         int64_t count = 1);

// Makes raw every token the insert would not spell back to its own bits, when all of
// `tokens` are spelled as one text. `lineStarts`: the first bits of the tokens that
// begin a script line (ascending), whose texts are checked from a line's start.
void makeSpellable(const BitTable& table, std::span<const uint8_t> data, std::vector<BitToken>& tokens,
                   const std::vector<uint64_t>& lineStarts);

}  // namespace tarpon
