#pragma once
// The character table: the letters each byte value stands for (empty: no letter).
#include <array>
#include <string>

namespace tarpon {

using CharTable = std::array<std::string, 256>;

}  // namespace tarpon
