#include "qt/text_fields.h"

#include "core/text_coding.h"

namespace tarpon {

std::string utf8Text(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::optional<std::string> latin1Text(const QString& text, Services& services, const std::string& field) {
    char32_t refused = 0;
    std::optional<std::string> bytes = latin1FromUtf8(utf8Text(text), &refused);
    if (!bytes)
        services.messageBox("The character " + describeCharacter(refused) + " in " + field +
                            " has no one-byte (Latin-1) code, so it cannot stand for a byte.");
    return bytes;
}

}  // namespace tarpon
