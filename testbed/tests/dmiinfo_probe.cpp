// Loads DMIINFO.dll by ordinal as its callers do and prints what it answers, as JSON. With the
// argument "switch", it asks again after the virtual server became another machine: the
// answers must not change within one process.
#include <windows.h>

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "control_client.h"

namespace control_key = mgx::testbed::control::key;

using IsPresent = int (*)();
using CountStructures = int (*)(const char *);
using GetString = char *(*)(const char *, int, int);

int main(int argc, char **argv) {
    HMODULE library = LoadLibraryA("DMIINFO.dll");
    if (!library) return 2;
    auto is_present = reinterpret_cast<IsPresent>(reinterpret_cast<void (*)()>(GetProcAddress(library, MAKEINTRESOURCEA(1))));
    auto count = reinterpret_cast<CountStructures>(reinterpret_cast<void (*)()>(GetProcAddress(library, MAKEINTRESOURCEA(2))));
    auto get_string = reinterpret_cast<GetString>(reinterpret_cast<void (*)()>(GetProcAddress(library, MAKEINTRESOURCEA(3))));
    if (!is_present || !count || !get_string) return 3;

    const auto text = [](const char *value) { return value ? nlohmann::json(value) : nlohmann::json(nullptr); };
    const char *baseboard = "BASEBOARD INFORMATION";
    nlohmann::json answers = {
        {"present", is_present()},
        {"baseboards", count(baseboard)},
        {"processors", count("PROCESSOR INFORMATION")},
        {"memory_devices", count("MEMORY DEVICE")},
        {"unknown_name", count("NO SUCH STRUCTURE")},
        {"manufacturer", text(get_string(baseboard, 1, 1))},
        {"product", text(get_string(baseboard, 1, 2))},
        {"missing_string", text(get_string(baseboard, 1, 9))},
        {"missing_instance", text(get_string(baseboard, 2, 1))},
    };
    if (char *writable = get_string(baseboard, 1, 1)) {
        writable[0] = '#';
        answers["after_write"] = get_string(baseboard, 1, 1);
    }
    if (argc > 1 && std::string(argv[1]) == "switch") {
        mgx::testbed::control_request(mgx::testbed::control::use_profile, {{control_key::profile, "no-smbios"}});
        answers["present_after_switch"] = is_present();
    }
    std::puts(answers.dump().c_str());
    return 0;
}
