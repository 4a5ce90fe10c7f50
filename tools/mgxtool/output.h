// How a subcommand reports: a JSON document for scripts (--json) or readable text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace mgx::tool {

struct OutputOptions {
    bool json = false;
};

// Prints `document` as JSON, or `text` when JSON was not asked for.
void report(const OutputOptions &options, const nlohmann::json &document, const std::string &text);

// Texts from the unit or a file (sensor names, FRU fields, LCD lines, system information) are
// 8-bit bytes that need not be UTF-8. mgxtool shows each as its bytes read as Latin-1, so every
// byte is one character and the output is valid whatever was sent; JSON also carries the bytes
// themselves in hex beside it, under the key with "_hex" added.
std::string latin1_text(std::string_view bytes);
void put_outside_text(nlohmann::json &document, const std::string &key, std::string_view bytes);
void put_outside_texts(nlohmann::json &document, const std::string &key, const std::vector<std::string_view> &texts);

}  // namespace mgx::tool
