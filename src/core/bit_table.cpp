#include "core/bit_table.h"

#include <algorithm>
#include <map>

#include "core/text_coding.h"
#include "core/hex_text.h"

namespace tarpon {
namespace {

// Calls `each(line, number)` for every line of `lines`, without its line end (LF or
// CR LF) and, on the first line, without a UTF-8 byte order mark.
template <typename Each>
bool forEachLine(std::string_view lines, Each each) {
    int number = 0;
    for (size_t at = 0; at < lines.size();) {
        const size_t end = std::min(lines.find('\n', at), lines.size());
        std::string_view line = lines.substr(at, end - at);
        at = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (++number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        if (!each(line, number)) return false;
    }
    return true;
}

// A line that holds no entry: empty, a comment, or a table's "@name".
bool passedOver(std::string_view line) {
    return line.empty() || line[0] == '#' || (line[0] == '@' && line.find('=') == std::string_view::npos);
}

size_t prefixLength(std::string_view line) {
    size_t k = 0;
    while (k < line.size() && k < 2 && (line[k] == '/' || line[k] == '!')) ++k;
    return k;
}

std::string quoted(std::string_view line) {
    constexpr size_t kShown = 40;
    return "\"" + std::string(line.substr(0, kShown)) + (line.size() > kShown ? "…\"" : "\"");
}

uint32_t readBits(std::span<const uint8_t> data, uint64_t at, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 1 | static_cast<uint32_t>(bitAt(data, at + static_cast<uint64_t>(i)));
    return value;
}

}  // namespace

int firstBitKeyLine(std::string_view lines) {
    if (lines.find('\0') != std::string_view::npos) return 0;  // UTF-16: never a table of bit keys
    int found = 0;
    forEachLine(lines, [&](std::string_view line, int number) {
        if (passedOver(line)) return true;
        const size_t k = prefixLength(line);
        size_t e = k;
        while (e < line.size() && hexDigitValue(line[e]) >= 0) ++e;
        const bool oddHex = e > k && (e - k) % 2 == 1 && e < line.size() && (line[e] == '=' || line[e] == '<');
        if ((k < line.size() && line[k] == '%') || oddHex) found = number;
        return found == 0;
    });
    return found;
}

std::optional<BitTable> BitTable::read(std::string_view lines, std::string& problem) {
    BitTable t;
    std::map<std::string, int> lineOfKey;
    const bool read = forEachLine(lines, [&](std::string_view line, int number) {
        if (passedOver(line)) return true;
        const auto refuse = [&](const std::string& why) {
            problem = "line " + std::to_string(number) + ": " + quoted(line) + " " + why;
            return false;
        };
        if (!isValidUtf8(line)) return refuse("is not UTF-8 text.");
        BitEntry e;
        e.line = number;
        const size_t k = prefixLength(line);
        for (size_t i = 0; i < k; ++i) {
            if (line[i] == '!') return refuse("is a table switch, which is not read in a table of bit keys.");
            if (e.ends) return refuse("has \"/\" twice.");
            e.ends = true;
        }
        size_t at = k;
        if (at < line.size() && line[at] == '%') {
            while (++at < line.size() && (line[at] == '0' || line[at] == '1')) e.key += line[at];
        } else {
            for (; at < line.size() && hexDigitValue(line[at]) >= 0; ++at)
                for (int b = 3; b >= 0; --b) e.key += (hexDigitValue(line[at]) >> b & 1) ? '1' : '0';
        }
        if (e.key.empty()) return refuse("has no key: hexadecimal digits, or \"%\" and binary digits.");
        if (e.key.size() > kMaxBitKey) return refuse("has a key of more than " + std::to_string(kMaxBitKey) + " bits.");
        if (at < line.size() && line[at] == '<') {  // "<N>": how many matches it counts as
            const size_t close = line.find('>', at);
            const std::string_view n = close == std::string_view::npos ? std::string_view() : line.substr(at + 1, close - at - 1);
            const std::string_view digits = n.starts_with('-') ? n.substr(1) : n;
            if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return refuse("has a \"<\" after its key that is no count like <2>.");
            at = close + 1;
        }
        if (at >= line.size() || line[at] != '=') return refuse("has no \"=\" after its key.");
        const std::string_view text = line.substr(at + 1);
        if (text.find_first_of("<>") != std::string_view::npos) return refuse("has \"<\" or \">\" in its text.");
        for (size_t i = 0; i < text.size(); ++i) {
            if (text.substr(i, 2) == "\\n") e.text += '\n', ++i;
            else e.text += text[i];
        }
        const auto [it, fresh] = lineOfKey.emplace(e.key, number);
        if (!fresh) return refuse("gives the key of line " + std::to_string(it->second) + " again.");
        t.entries_.push_back(std::move(e));
        return true;
    });
    if (!read) return std::nullopt;
    for (size_t i = 0; i < t.entries_.size(); ++i) {
        const BitEntry& e = t.entries_[i];
        int32_t node = 0;
        for (const char c : e.key) {
            const int b = c - '0';
            if (t.trie_[static_cast<size_t>(node)].next[static_cast<size_t>(b)] < 0) {
                t.trie_[static_cast<size_t>(node)].next[static_cast<size_t>(b)] = static_cast<int32_t>(t.trie_.size());
                t.trie_.emplace_back();
            }
            node = t.trie_[static_cast<size_t>(node)].next[static_cast<size_t>(b)];
        }
        t.trie_[static_cast<size_t>(node)].entry = static_cast<int32_t>(i);
        const std::string written = t.insertText(e);
        if (!written.empty()) t.byText_[written].push_back(static_cast<int32_t>(i));
    }
    for (auto& [text, list] : t.byText_) {
        std::sort(list.begin(), list.end(), [&](int32_t a, int32_t b) {
            return t.entries_[static_cast<size_t>(a)].key < t.entries_[static_cast<size_t>(b)].key;
        });
        if (std::find(t.textLengths_.begin(), t.textLengths_.end(), text.size()) == t.textLengths_.end())
            t.textLengths_.push_back(text.size());
    }
    std::sort(t.textLengths_.rbegin(), t.textLengths_.rend());
    return t;
}

std::string BitTable::insertText(const BitEntry& e) const {
    std::string out = e.text;
    std::erase(out, '\n');
    return out;
}

bool BitTable::isEndText(std::string_view text) const {
    const auto it = byText_.find(text);
    if (it == byText_.end()) return false;
    return std::any_of(it->second.begin(), it->second.end(), [&](int32_t i) { return entries_[static_cast<size_t>(i)].ends; });
}

BitToken BitTable::tokenAt(std::span<const uint8_t> data, uint64_t at, uint64_t end) const {
    end = std::min<uint64_t>(end, uint64_t{data.size()} * 8);
    if (at >= end) return {at, 0, -1};
    int32_t node = 0, best = -1;
    uint32_t bestBits = 0;
    for (uint64_t p = at; p < end; ++p) {
        node = trie_[static_cast<size_t>(node)].next[static_cast<size_t>(bitAt(data, p))];
        if (node < 0) break;
        if (trie_[static_cast<size_t>(node)].entry >= 0) {
            best = trie_[static_cast<size_t>(node)].entry;
            bestBits = static_cast<uint32_t>(p - at + 1);
        }
    }
    if (best >= 0) return {at, bestBits, best};
    return {at, end - at >= 8 ? 8u : 1u, -1};
}

void BitTable::appendText(const BitToken& t, std::span<const uint8_t> data, std::string& out) const {
    if (t.entry >= 0) {
        out += entries_[static_cast<size_t>(t.entry)].text;
    } else if (t.bits == 8) {
        const uint32_t v = readBits(data, t.at, 8);
        out += "<$";
        appendHexByte(out, static_cast<uint8_t>(v));
        out += '>';
    } else {
        out += bitAt(data, t.at) ? "<%1>" : "<%0>";
    }
}

uint64_t BitTable::readString(std::span<const uint8_t> data, uint64_t at, uint64_t end, bool untilEnd,
                              std::vector<BitToken>& out) const {
    end = std::min<uint64_t>(end, uint64_t{data.size()} * 8);
    while (at < end) {
        const BitToken t = tokenAt(data, at, end);
        out.push_back(t);
        at += t.bits;
        if (untilEnd && t.entry >= 0 && entries_[static_cast<size_t>(t.entry)].ends) break;
    }
    return at;
}

std::string BitTable::bitsOf(const BitPiece& p) const {
    if (p.entry >= 0) return entries_[static_cast<size_t>(p.entry)].key;
    std::string out;
    for (int b = p.rawBits - 1; b >= 0; --b) out += (p.raw >> b & 1) ? '1' : '0';
    return out;
}

void BitTable::candidates(std::string_view text, size_t at, size_t to, std::vector<BitPiece>& out) const {
    out.clear();
    const auto here = static_cast<uint32_t>(at);
    const std::string_view rest = text.substr(at, to - at);
    if (rest.size() >= 5 && rest.starts_with("<$") && rest[4] == '>') {
        const int high = hexDigitValue(rest[2]), low = hexDigitValue(rest[3]);
        const auto upper = [](char c) { return !(c >= 'a' && c <= 'f'); };
        if (high >= 0 && low >= 0 && upper(rest[2]) && upper(rest[3]))
            out.push_back({here, 5, -1, 8, static_cast<uint8_t>(high * 16 + low)});
    }
    if (rest.size() >= 4 && rest.starts_with("<%") && (rest[2] == '0' || rest[2] == '1') && rest[3] == '>')
        out.push_back({here, 4, -1, 1, static_cast<uint8_t>(rest[2] - '0')});
    for (const size_t length : textLengths_) {
        if (length > rest.size()) continue;
        const auto it = byText_.find(rest.substr(0, length));
        if (it == byText_.end()) continue;
        for (const int32_t e : it->second) out.push_back({here, static_cast<uint32_t>(length), e, 0, 0});
    }
}

void BitTable::solve(std::string_view text, size_t from, size_t to, std::vector<uint64_t>& cost,
                     std::vector<BitPiece>& best) const {
    std::vector<BitPiece> here;
    cost[to] = 0;
    for (size_t at = to; at-- > from;) {
        if (text[at] == '\n' || text[at] == '\r') {  // line breaks are no data
            cost[at] = cost[at + 1];
            best[at] = {static_cast<uint32_t>(at), 1, -1, 0, 0};
            continue;
        }
        cost[at] = kNoSpelling;
        candidates(text, at, to, here);
        for (const BitPiece& p : here) {
            const uint64_t next = cost[at + p.length];
            if (next == kNoSpelling) continue;
            const uint64_t total = next + (p.entry >= 0 ? entries_[static_cast<size_t>(p.entry)].key.size() : p.rawBits);
            const bool first = cost[at] == kNoSpelling || total < cost[at];
            if (first || (total == cost[at] && (p.length > best[at].length ||
                                                (p.length == best[at].length && bitsOf(p) < bitsOf(best[at]))))) {
                cost[at] = total;
                best[at] = p;
            }
        }
    }
}

bool BitTable::spell(std::string_view text, std::vector<BitPiece>& out, size_t* badAt) const {
    const size_t n = text.size();
    std::vector<uint64_t> cost(n + 1);
    std::vector<BitPiece> best(n + 1);
    solve(text, 0, n, cost, best);
    if (cost[0] == kNoSpelling) {
        // Where the longest pieces lead before they stop: the place no piece begins.
        std::vector<BitPiece> here;
        size_t at = 0;
        while (at < n) {
            if (text[at] == '\n' || text[at] == '\r') {
                ++at;
                continue;
            }
            candidates(text, at, n, here);
            if (here.empty()) break;
            at += std::max_element(here.begin(), here.end(), [](auto& a, auto& b) { return a.length < b.length; })->length;
        }
        if (badAt) *badAt = std::min(at, n - 1);
        return false;
    }
    for (size_t at = 0; at < n; at += best[at].length)
        if (best[at].entry >= 0 || best[at].rawBits > 0) out.push_back(best[at]);
    return true;
}

void BitPacker::put(std::string_view bits) {
    for (const char c : bits) putValue(c == '1' ? 1 : 0, 1);
}

void BitPacker::putValue(uint32_t value, int bits) {
    for (int b = bits - 1; b >= 0; --b) {
        if (bits_ % 8 == 0) bytes_.push_back(0);
        if (value >> b & 1) bytes_.back() = static_cast<uint8_t>(bytes_.back() | (0x80 >> (bits_ % 8)));
        ++bits_;
    }
}

}  // namespace tarpon
