#include "unit_commands.h"

#include <cstring>
#include <memory>
#include <sstream>

#include <halcore/mgx_call.h>

#include "cli/input_parsing.h"
#include "device_identity_view.h"
#include "halcore_session.h"
#include "text/hex.h"

namespace mgx::tool {

using namespace mgx::cli;

using hal::CommandType;
using hal::mgx_call;
using nlohmann::json;

namespace {

struct RawOptions {
    std::vector<std::string> bytes;
};

}  // namespace

void add_unit_commands(CLI::App &app, const OutputOptions &options) {
    app.add_subcommand("init", "initialise Halcore: machine family, back-end state and status")->callback([&options] {
        HalcoreSession session;
        json document = session_json(session);
        const std::int32_t free_status = session.shut_down();
        document["free_status"] = free_status;
        std::ostringstream text;
        text << "back-end state " << session.back_end_state() << ": " << describe_back_end(session.back_end_state()) << "\n"
             << "init status    " << session.init_status() << "\n"
             << "free status    " << free_status << "\n"
             << "usable         " << (session.usable() ? "yes" : "no") << "\n";
        report(options, document, text.str());
    });

    app.add_subcommand("running-hours", "the server's running time in hours (command type 9)")->callback([&options] {
        with_unit(options, [](json &document, std::ostringstream &text) {
            std::uint32_t hours = 0;
            std::int32_t status = mgx_call<CommandType::RunningHours>(hours);
            if (status == 0) {
                document["running_hours"] = hours;
                text << hours << " hours\n";
            }
            return status;
        });
    });

    app.add_subcommand("device-id", "the management unit's identity (command type 25)")->callback([&options] {
        with_unit(options, [](json &document, std::ostringstream &text) {
            hal::MgxDeviceIdentity identity{};
            std::int32_t status = mgx_call<CommandType::DeviceIdentity>(identity);
            if (status != 0) return status;
            const json flags = {{"chassis_device", identity.chassis_device},
                                {"bridge", identity.bridge},
                                {"event_generator", identity.event_generator},
                                {"event_receiver", identity.event_receiver},
                                {"fru_inventory_device", identity.fru_inventory_device},
                                {"sel_device", identity.sel_device},
                                {"sdr_repository_device", identity.sdr_repository_device},
                                {"sensor_device", identity.sensor_device}};
            const DeviceIdentityView view = view_of(identity);
            document["identity"] = {{"device_id", identity.device_id},
                                    {"provides_revision", identity.provides_revision},
                                    {"device_revision", identity.device_revision},
                                    {"firmware_revision", {identity.firmware_revision_1, identity.firmware_revision_2}},
                                    {"ipmi_version", identity.ipmi_version},
                                    {"support", flags},
                                    {"manufacturer_and_product", text::to_hex(identity.manufacturer_and_product)},
                                    {"firmware", view.firmware},
                                    {"device_available", view.device_available},
                                    {"ipmi_version_text", view.ipmi_version},
                                    {"manufacturer_id", view.manufacturer_id},
                                    {"product_id", view.product_id}};
            text << "device id          " << int(identity.device_id) << " (revision " << int(identity.device_revision) << ")\n"
                 << "firmware           " << view.firmware << "\n"
                 << "device available   " << (view.device_available ? "yes" : "no (firmware or SDR update under way)") << "\n"
                 << "IPMI version       " << view.ipmi_version << "\n"
                 << "support            ";
            for (const auto &[name, value] : flags.items())
                if (value.get<int>()) text << name << " ";
            text << "\nmanufacturer       " << view.manufacturer_id << ", product " << view.product_id << " ("
                 << text::to_hex(identity.manufacturer_and_product) << ")\n";
            return status;
        });
    });

    auto raw_options = std::make_shared<RawOptions>();
    CLI::App *raw = app.add_subcommand("raw", "send one request (command type 24): NETFN COMMAND [DATA...]");
    raw->add_option("bytes", raw_options->bytes, "network function, command, then up to 27 data bytes (0x3a or 58)")->required();
    raw->callback([&options, raw_options] {
        const std::vector<std::string> &raw_bytes = raw_options->bytes;
        if (raw_bytes.size() < 2) throw CLI::ValidationError("give at least the network function and the command");
        if (raw_bytes.size() > 2 + hal::max_request_data) throw CLI::ValidationError("at most 27 data bytes");
        hal::MgxRequest request{};
        request.network_function = static_cast<std::uint8_t>(parse_byte(raw_bytes[0]));
        request.command = static_cast<std::uint8_t>(parse_byte(raw_bytes[1]));
        request.length = static_cast<std::uint8_t>(raw_bytes.size() - 2);
        for (std::size_t i = 2; i < raw_bytes.size(); ++i)
            request.data[i - 2] = static_cast<std::uint8_t>(parse_byte(raw_bytes[i]));
        with_unit(options, [&request](json &document, std::ostringstream &text) {
            hal::MgxResponse response{};
            std::int32_t status = mgx_call<CommandType::RawRequest>(request, response);
            // A failed transport leaves the response unwritten; a refused command returns its
            // completion code as the status with the response filled.
            if (status != 0 && status != response.completion_code) return status;
            const std::size_t length = std::min<std::size_t>(response.length, hal::max_response_data);
            document["response"] = {{"completion_code", response.completion_code},
                                    {"data", text::to_hex(std::span(response.data, length))}};
            text << "completion code 0x" << std::hex << int(response.completion_code) << std::dec << "\n"
                 << "data            " << text::to_hex(std::span(response.data, length)) << "\n";
            return status;
        });
    });
}

}  // namespace mgx::tool
