#include "memory_clear_command.h"

#include <memory>
#include <sstream>

#include <halcore/mgx_call.h>

#include "change_report.h"
#include "confirmation.h"
#include "dialog_texts.h"
#include "halcore_session.h"
#include "text/hex.h"

namespace mgx::tool {

using nlohmann::json;
using namespace mgx::hal;

namespace {

struct MemoryClearOptions {
    bool yes = false;
    bool check_only = false;
};

void clear_memory_errors(const OutputOptions &output, const MemoryClearOptions &options) {
    const MgxMemoryMaintenance clear = MgxMemoryMaintenance::errors_cleared();
    const std::string data = text::to_hex(std::span(clear.memory_data));
    const std::string what = "the memory-error information (indexes 0 and 1, memory data " + data + ")";
    if (options.check_only) {
        report(output, {{"changed", true}, {"would_send", {{"selector", clear.selector}, {"memory_data", data}}}},
               "would clear " + what + "; nothing was sent\n");
        return;
    }
    if (!confirmed(output, options.yes, dialog_text(settings::messages::main_menu::memory_clear_question), "memory-clear"))
        throw CommandFailed("memory-clear: not confirmed, nothing was sent");
    with_unit(output, [&](json &document, std::ostringstream &text) {
        MgxMemoryMaintenance answer{};
        const std::int32_t status = mgx_call<CommandType::SetMemoryMaintenance>(clear, answer);
        document["changed"] = status == 0;
        if (status != 0) {
            text << "MGX write failed. Error code [" << status << "]: the memory-error information may be cleared in part\n";
            return status;
        }
        document["answer"] = text::to_hex(std::span(answer.memory_data));
        log_changes_said({service::memory_errors_cleared}, document, text);
        text << "cleared " << what << "; the unit answered " << document["answer"].get<std::string>() << "\n";
        return 0;
    });
}

}  // namespace

void add_memory_clear_command(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<MemoryClearOptions>();
    CLI::App *command =
        app.add_subcommand("memory-clear", "clear the memory-error information after a faulty memory module was replaced");
    add_yes_flag(command, options->yes);
    add_check_flag(command, options->check_only);
    command->callback([&output, options] { clear_memory_errors(output, *options); });
}

}  // namespace mgx::tool
