#include "output.h"

#include <cstdio>

#include "text/hex.h"

namespace mgx::tool {

std::string latin1_text(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x80) {
            text.push_back(byte);
        } else {
            text.push_back(static_cast<char>(0xC0 | code >> 6));
            text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return text;
}

std::string shown_text(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (byte < 0x20 || byte == 0x7F || c1) {
            const unsigned code = c1 ? static_cast<unsigned char>(text[++i]) : byte;
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", code);
            shown += escape;
        } else {
            shown.push_back(text[i]);
        }
    }
    return shown;
}

std::string padded(std::string text, std::size_t width) {
    std::size_t characters = 0;
    for (const char byte : text) characters += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    if (characters < width) text.append(width - characters, ' ');
    return text;
}

void put_outside_text(nlohmann::json &document, const std::string &key, std::string_view bytes) {
    document[key] = latin1_text(bytes);
    document[key + "_hex"] = text::to_hex(std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()));
}

void put_outside_texts(nlohmann::json &document, const std::string &key, const std::vector<std::string_view> &texts) {
    document[key] = nlohmann::json::array();
    document[key + "_hex"] = nlohmann::json::array();
    for (const std::string_view bytes : texts) {
        nlohmann::json one;
        put_outside_text(one, key, bytes);
        document[key].push_back(one[key]);
        document[key + "_hex"].push_back(one[key + "_hex"]);
    }
}

std::string real_text(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string shown = text;
    shown.erase(shown.find_last_not_of('0') + 1);
    if (shown.back() == '.') shown.pop_back();
    return shown == "-0" ? "0" : shown;
}

}  // namespace mgx::tool
