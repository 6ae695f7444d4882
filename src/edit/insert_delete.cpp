#include "edit/insert_delete.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/editor.h"
#include "core/number_reading.h"
#include "core/rounding.h"
#include "view/painting.h"

namespace tarpon {
namespace {

// Sets the storage to hold `size` bytes (at least one). Growing past the capacity
// reserves half as much again, up to the largest loadable document, so that a run
// of small inserts does not copy the whole document each time; shrinking keeps the
// capacity. New bytes are left for the caller to write.
void resizeStorage(ByteStore& data, int64_t size) {
    const size_t wanted = static_cast<size_t>(std::max<int64_t>(size, 1));
    if (wanted > data.capacity())
        data.reserve(std::max(wanted, std::min(wanted + wanted / 2, static_cast<size_t>(kMaxFileSize))));
    data.resize(wanted);
}

std::string tooManyBytesMessage() {
    return "Too many bytes to insert: the document must stay smaller than " +
           std::to_string(kMaxFileSize / 1024 / 1024) + " mb (" + std::to_string(kMaxFileSize) + " bytes).";
}

// The low 8 bits of a typed number, rounded to a whole number first; 0 when it is
// not finite.
uint8_t lowByte(double value) {
    const double whole = roundHalfEven(value);
    if (!std::isfinite(whole)) return 0;
    // fmod is exact, so this is the two's-complement low byte of any whole double.
    double m = std::fmod(whole, 256.0);
    if (m < 0) m += 256.0;
    return static_cast<uint8_t>(m);
}

}  // namespace

void removeBytes(EditorState& s, int64_t at, int64_t count) {
    uint8_t* data = s.fileData.data();
    std::memmove(data + at, data + at + count, static_cast<size_t>(s.fileSize - at - count));
    s.fileSize = static_cast<int32_t>(s.fileSize - count);
    resizeStorage(s.fileData, s.fileSize);
}

void DeleteByte(Editor& ed) {
    EditorState& s = ed.s;
    const int64_t p = s.cursor();
    if (p < 0 || p > int64_t{s.fileSize} - 1) return;
    Change c;
    c.kind = Change::Kind::Delete;
    c.before = s.fileData[static_cast<size_t>(p)];
    c.offset = static_cast<int32_t>(p);
    c.count = 1;
    removeBytes(s, p, 1);
    s.history.record(c);
}

std::string insertAtCursor(EditorState& s, int64_t amount, uint8_t fill) {
    if (amount < 0) return "The amount to insert cannot be negative.";
    if (amount >= int64_t{kMaxFileSize} - s.fileSize) return tooManyBytesMessage();
    const int64_t p = s.cursor();
    if (p < 0 || amount == 0) return {};
    insertBytes(s, p, amount, fill);
    Change c;
    c.kind = Change::Kind::Insert;
    c.after = fill;
    c.offset = static_cast<int32_t>(p);
    c.count = static_cast<int32_t>(amount);
    s.history.record(c);
    return {};
}

void insertBytes(EditorState& s, int64_t p, int64_t amount, uint8_t fill) {
    const int64_t oldSize = s.fileSize;
    const int64_t newSize = oldSize + amount;
    resizeStorage(s.fileData, newSize);
    uint8_t* data = s.fileData.data();
    std::memset(data + oldSize, 0, static_cast<size_t>(amount));
    s.fileSize = static_cast<int32_t>(newSize);
    // At or past the new last byte the added bytes stay zero at the end.
    if (p >= newSize - 1) return;
    // The tail from the cursor to the old end moves up; a cursor beyond the old end
    // has no tail, and the gap then ends at the new end.
    if (p < oldSize) std::memmove(data + p + amount, data + p, static_cast<size_t>(oldSize - p));
    std::memset(data + p, fill, static_cast<size_t>(std::min(amount, newSize - p)));
}

void RepaintFromInsertWindow(Editor& ed) { RepaintAll(ed); }

bool InsertBytes(Editor& ed, const InsertForm& form) {
    const double amount = ReadNumber((form.amountHex ? "&h0" : "0") + form.amount);
    const double fill = ReadNumber((form.fillHex ? "&h0" : "0") + form.fill);
    const std::string refusal = insertAtCursor(ed.s, roundToInt64(amount), lowByte(fill));
    if (!refusal.empty()) {
        ed.services.messageBox(refusal);
        return false;
    }
    RepaintAll(ed);
    return true;
}

}  // namespace tarpon
