// mgxtool: the command-line front end to the maintenance tool set.
#include <CLI/CLI.hpp>

#include "cli/program.h"
#include "event_log_commands.h"
#include "hardware_commands.h"
#include "inventory_commands.h"
#include "memory_clear_command.h"
#include "metrics_command.h"
#include "output.h"
#include "platform_commands.h"
#include "power_and_boot_commands.h"
#include "product_key_commands.h"
#include "product_version.h"
#include "sensor_commands.h"
#include "smbus_device_commands.h"
#include "support_commands.h"
#include "unit_commands.h"
#include "unit_memory_commands.h"
#include "win32/dll_search.h"

int main() {
    mgx::win32::restrict_dll_search();
    CLI::App app("mgxtool: management unit maintenance from the command line", "mgxtool");
    mgx::tool::OutputOptions options;
    mgx::cli::prepare_program(app, options);
    app.set_version_flag("--version", "mgxtool " MGX_FILE_VERSION_TEXT " (Uptiva " MGX_VERSION_TEXT ")");
    mgx::tool::add_unit_commands(app, options);
    mgx::tool::add_power_and_boot_commands(app, options);
    mgx::tool::add_unit_memory_commands(app, options);
    mgx::tool::add_memory_clear_command(app, options);
    mgx::tool::add_hardware_commands(app, options);
    mgx::tool::add_event_log_commands(app, options);
    mgx::tool::add_smbus_device_commands(app, options);
    mgx::tool::add_sensor_commands(app, options);
    mgx::tool::add_inventory_commands(app, options);
    mgx::tool::add_product_key_commands(app, options);
    mgx::tool::add_platform_commands(app, options);
    mgx::tool::add_support_commands(app, options);
    mgx::tool::add_metrics_command(app, options);
    return mgx::cli::run_program(app);
}
