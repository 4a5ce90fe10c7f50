// Runs HCXInitImbSmbDll under whatever name this program was copied to, and prints as JSON
// what the library made of it. With the argument "lifetime" it also reads the running time.
// Waits are recorded, not waited.
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include <halcore/halcore.h>

#include "hal_fakes.h"
#include "inventory_state.h"
#include "process_state.h"

using namespace mgx::hal;

int main(int argc, char **argv) {
    testing::RecordedWaits waits;
    std::int32_t type = -1;
    nlohmann::json result = {{"status", HCXInitImbSmbDll(&type)}, {"type", type}};
    result["query_table"] = inventory_state().query_api_table != nullptr;
    result["owner_name"] = process_state().owner_name;
    if (argc > 1 && std::string(argv[1]) == "lifetime") {
        std::uint32_t hours = 0;
        result["lifetime_status"] = MGXGetLifeTime(&hours);
    }
    result["waits"] = waits.waits();
    result["free_status"] = HCXFreeImbSmbDll();
    std::puts(result.dump().c_str());
    return 0;
}
