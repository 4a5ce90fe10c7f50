// Loads Bmc.dll as a fresh process would (its attach maps the SMBIOS table), asks it what the
// tests want to know and prints the answers as JSON.
#include <windows.h>

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

using GetNthString = char *(*)(std::uint8_t *, std::uint32_t);
using GetSMBIOSStructure = std::uint32_t (*)(std::uint32_t, std::uint32_t, std::uint8_t **);
using IpmiCmd = std::uint32_t (*)(std::uint8_t *, std::uint8_t *, std::uint32_t *, std::uint32_t);

template <typename Function>
Function entry(HMODULE library, int ordinal) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

int main() {
    HMODULE library = LoadLibraryA("Bmc.dll");
    if (!library) return 2;
    auto nth_string = entry<GetNthString>(library, 1);
    auto get_structure = entry<GetSMBIOSStructure>(library, 2);
    auto ipmi_cmd = entry<IpmiCmd>(library, 3);
    if (!nth_string || !get_structure || !ipmi_cmd) return 3;

    const auto text = [](const char *value) { return value ? nlohmann::json(value) : nlohmann::json(nullptr); };
    nlohmann::json answers;
    std::uint8_t *structure = reinterpret_cast<std::uint8_t *>(1);
    answers["baseboard_status"] = get_structure(2, 0, &structure);
    answers["baseboard_cleared"] = structure == nullptr;
    for (std::uint32_t type : {0u, 4u, 16u, 17u}) {
        nlohmann::json found = nlohmann::json::array();
        for (std::uint32_t instance = 0; instance < 8; ++instance) {
            std::uint8_t *at = nullptr;
            std::uint32_t status = get_structure(type, instance, &at);
            if (status != 0) {
                found.push_back({{"status", status}});
                break;
            }
            if (!at) break;
            nlohmann::json strings = nlohmann::json::array();
            for (std::uint32_t n = 0; n <= 4; ++n) strings.push_back(text(nth_string(at, n)));
            found.push_back({{"handle", at[2] | at[3] << 8}, {"strings", strings}});
        }
        answers["type_" + std::to_string(type)] = found;
    }
    answers["string_of_null"] = text(nth_string(nullptr, 1));

    std::uint8_t request[4] = {0x22, 0x01, 0x06 << 2, 0}, answer[64];
    for (std::uint32_t timeout : {10u, 5000000u}) {
        std::uint32_t length = sizeof answer;
        std::uint32_t status = ipmi_cmd(request, answer, &length, timeout);
        answers["ipmi_" + std::to_string(timeout)] = {{"status", status}, {"length", status == 0 ? length : 0}};
    }
    std::puts(answers.dump().c_str());
    FreeLibrary(library);
    return 0;
}
