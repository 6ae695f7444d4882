// The script dump's worst cases beside a plain sequential decoder of the same table
// (a longest-match loop over a two-byte index, written here for the comparison):
// 9 MiB through a 7,000-entry two-byte table, 32 KiB of English stored letter by
// letter through a table of letters and pairs (every pair's text must be written
// raw), and 9 MiB through a 65,536-entry table whose one-byte keys begin two-byte keys.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/hex_text.h"
#include "core/text_coding.h"
#include "script/script_dump.h"

namespace tarpon {
namespace {

std::string charOf(char32_t c) { return utf8Of(c); }

// 7,000 two-byte keys from 889F on, each its own kanji; the ASCII letters; end token 00.
Table kanjiTable() {
    Table t;
    int n = 0;
    for (int lead = 0x88; lead <= 0xFC && n < 7000; ++lead)
        for (int trail = lead == 0x88 ? 0x9F : 0x40; trail <= 0xFC && n < 7000; ++trail)
            if (trail != 0x7F) t.set({{static_cast<char>(lead), static_cast<char>(trail)}, charOf(0x4E00 + n++)});
    for (int b = 0x20; b < 0x7F; ++b) t.set({std::string(1, static_cast<char>(b)), std::string(1, static_cast<char>(b))});
    t.set({std::string(1, '\0'), "<end>", EntryKind::EndToken, 0});
    return t;
}

// Japanese-shaped strings: two-byte keys with some ASCII, each string ended by 00.
std::vector<uint8_t> kanjiDocument(size_t size) {
    std::mt19937 rng(7);
    std::vector<uint8_t> d;
    d.reserve(size + 64);
    while (d.size() + 64 < size) {
        for (int k = 5 + static_cast<int>(rng() % 30); k > 0; --k) {
            if (rng() % 5 == 0) {
                d.push_back(static_cast<uint8_t>(0x41 + rng() % 26));
                continue;
            }
            const unsigned n = rng() % 7000, lead = 0x89 + n / 188, trail = 0x40 + n % 188;
            d.push_back(static_cast<uint8_t>(lead));
            d.push_back(static_cast<uint8_t>(trail >= 0x7F ? trail + 1 : trail));
        }
        d.push_back(0);
    }
    d.resize(size, 0);
    return d;
}

// Letters a-z at 61-7A, a blank, and ten common pairs of two letters at E0-E9.
Table pairTable() {
    Table t;
    for (int c = 'a'; c <= 'z'; ++c) t.set({std::string(1, static_cast<char>(c)), std::string(1, static_cast<char>(c))});
    t.set({" ", " "});
    const char* pairs[] = {"th", "he", "in", "er", "an", "re", "on", "at", "en", "nd"};
    for (int i = 0; i < 10; ++i) t.set({std::string(1, static_cast<char>(0xE0 + i)), pairs[i]});
    return t;
}

// English-like text stored letter by letter: the pairs' keys never occur.
std::vector<uint8_t> letterByLetter(size_t size) {
    const std::string words[] = {"the", "then", "there", "and", "another", "in", "on", "at", "heron", "ending"};
    std::mt19937 rng(3);
    std::vector<uint8_t> d;
    while (d.size() < size) {
        const std::string& w = words[rng() % 10];
        d.insert(d.end(), w.begin(), w.end());
        d.push_back(' ');
    }
    d.resize(size);
    return d;
}

// 256 one-byte keys and 65,280 two-byte keys whose first bytes are those keys: 65,536 entries.
Table fullTwoByteTable() {
    Table t;
    for (int a = 0; a < 256; ++a) {
        t.set({std::string(1, static_cast<char>(a)), charOf(0x3400 + static_cast<char32_t>(a))});
        for (int b = 0; b < 255; ++b)
            t.set({{static_cast<char>(a), static_cast<char>(b)}, charOf(0x4E00 + static_cast<char32_t>(a * 255 + b))});
    }
    return t;
}

std::vector<uint8_t> randomBytes(size_t size) {
    std::mt19937 rng(5);
    std::vector<uint8_t> d(size);
    for (uint8_t& b : d) b = static_cast<uint8_t>(rng());
    return d;
}

// The yardstick: longest match over keys of one and two bytes, the texts appended.
class PlainDecoder {
public:
    explicit PlainDecoder(const Table& t) : two_(65536, -1), one_(256, -1) {
        for (const TableEntry& e : t.entries()) {
            const auto at = static_cast<int32_t>(texts_.size());
            texts_.push_back(e.text);
            if (e.key.size() == 1) one_[static_cast<uint8_t>(e.key[0])] = at;
            if (e.key.size() == 2) two_[static_cast<size_t>(static_cast<uint8_t>(e.key[0]) << 8 | static_cast<uint8_t>(e.key[1]))] = at;
        }
    }
    std::string decode(const std::vector<uint8_t>& d) const {
        std::string out;
        for (size_t i = 0; i < d.size();) {
            if (i + 1 < d.size()) {
                if (const int32_t e = two_[static_cast<size_t>(d[i] << 8 | d[i + 1])]; e >= 0) {
                    out += texts_[static_cast<size_t>(e)];
                    i += 2;
                    continue;
                }
            }
            if (const int32_t e = one_[d[i]]; e >= 0) out += texts_[static_cast<size_t>(e)];
            else appendRawByte(out, d[i]);
            ++i;
        }
        return out;
    }

private:
    std::vector<int32_t> two_, one_;
    std::vector<std::string> texts_;
};

struct Case {
    Table table;
    std::vector<uint8_t> doc;
};

const Case& caseOf(int which) {
    static const Case cases[] = {
        {kanjiTable(), kanjiDocument(9437183)},
        {pairTable(), letterByLetter(32 * 1024)},
        {fullTwoByteTable(), randomBytes(9437183)},
    };
    return cases[which];
}

void setLabel(benchmark::State& state, const Case& c) {
    static const char* names[] = {"kanji-9MiB", "pairs-32KiB", "table65536-9MiB"};
    state.SetLabel(names[state.range(0)]);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.doc.size()));
}

void BM_DumpWorstCase(benchmark::State& state) {
    const Case& c = caseOf(static_cast<int>(state.range(0)));
    DumpRequest r;
    r.to = static_cast<int64_t>(c.doc.size()) - 1;
    size_t bytes = 0;
    for (auto _ : state) benchmark::DoNotOptimize(bytes = dumpScript(c.table, {c.doc.data(), c.doc.size()}, r).script.size());
    setLabel(state, c);
    state.counters["out_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_DumpWorstCase)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_PlainDecoder(benchmark::State& state) {
    const Case& c = caseOf(static_cast<int>(state.range(0)));
    const PlainDecoder decoder(c.table);
    size_t bytes = 0;
    for (auto _ : state) benchmark::DoNotOptimize(bytes = decoder.decode(c.doc).size());
    setLabel(state, c);
    state.counters["out_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PlainDecoder)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarpon
