#include "edit/insert_delete.h"

#include <algorithm>
#include <cmath>

#include "core/edits.h"
#include "core/editor.h"
#include "core/number_reading.h"
#include "core/rounding.h"
#include "view/painting.h"

namespace tarpon {
namespace {

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

void DeleteByte(Editor& ed) {
    EditorState& s = ed.s;
    const int64_t p = s.cursor();
    if (p < 0 || p > int64_t{s.doc.fileSize} - 1) return;
    deleteRecorded(s, p);
}

std::string insertAtCursor(EditorState& s, int64_t amount, uint8_t fill) {
    if (amount < 0) return "The amount to insert cannot be negative.";
    if (amount >= int64_t{kMaxFileSize} - s.doc.fileSize) return tooManyBytesMessage();
    const int64_t p = s.cursor();
    if (p < 0 || amount == 0) return {};
    insertRecorded(s, p, amount, fill);
    return {};
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
