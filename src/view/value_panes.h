#pragma once
// The small panes below the page: the byte under the cursor, the offset, the
// length and the position as a percentage.
#include <cstdint>
#include <string>

namespace tarpon {

struct Editor;

void PaintValuePanes(Editor& ed);
void PaintFileSize(Editor& ed);
void PaintOffsetValue(Editor& ed);
void PaintDecValue(Editor& ed);
void PaintOctValue(Editor& ed);
void PaintBinaryValue(Editor& ed);
void PaintPercent(Editor& ed);

// pos / (size - 1) as a percentage with at most three decimals ("12.346", "50").
std::string percentText(int64_t pos, int32_t fileSize, char decimalSeparator);

}  // namespace tarpon
