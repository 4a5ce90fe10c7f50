#include "sensor_type_option.h"

#include <cctype>
#include <optional>
#include <string>
#include <string_view>

#include <halcore/sensor_types.h>

#include "cli/input_parsing.h"

namespace mgx::tool {

namespace {

// A sensor type's name folded for matching: lower case, letters and digits only ("Power Supply",
// "power-supply" and "powersupply" are one).
std::string folded(std::string_view name) {
    std::string key;
    for (const char c : name)
        if (std::isalnum(static_cast<unsigned char>(c))) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

}  // namespace

CLI::Validator sensor_type_named() {
    return CLI::Validator(
        [](std::string &text) -> std::string {
            if (const std::optional<long long> number = cli::parse_whole_number(text)) {
                if (*number < hal::sensor_type::first || *number > hal::sensor_type::last)
                    return "enter a sensor type 1 to 254 or its name (" + text + " is out of range)";
                text = std::to_string(*number);
                return {};
            }
            for (std::uint32_t type = hal::sensor_type::first; type <= hal::sensor_type::last; ++type) {
                if (folded(hal::sensor_type_facts(type).name) != folded(text) || folded(text).empty()) continue;
                text = std::to_string(type);
                return {};
            }
            return "\"" + text + "\" is no sensor type: enter 1 to 254 or a name such as temperature, voltage, fan, power-supply";
        },
        "TYPE: 1 to 254 or a name");
}

}  // namespace mgx::tool
