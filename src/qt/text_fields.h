#pragma once
// Text boxes whose text becomes bytes.
#include <QString>
#include <optional>
#include <string>

#include "screen/services.h"

namespace tarpon {

// The Latin-1 bytes of a text box's text, one a character. A character that no
// byte stands for (above U+00FF) is refused with a message naming it and `field`,
// rather than turned into "?".
std::optional<std::string> latin1Text(const QString& text, Services& services, const std::string& field);

std::string utf8Text(const QString& text);

}  // namespace tarpon
