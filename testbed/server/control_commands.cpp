#include "control_commands.h"

#include <functional>
#include <map>
#include <stdexcept>

#include "control_protocol.h"
#include "json_numbers.h"
#include "text/hex.h"

namespace mgx::testbed {

namespace key = control::key;

namespace {

using Handler = std::function<nlohmann::json(ControlSide &, const nlohmann::json &)>;

const nlohmann::json done = nlohmann::json::object();

std::vector<std::uint8_t> hex_argument(const nlohmann::json &request, const char *name) {
    const auto bytes = text::from_hex(request.at(name).get<std::string>());
    if (!bytes) throw std::runtime_error(std::string("\"") + name + "\" must be hexadecimal bytes");
    return *bytes;
}

const std::map<std::string, Handler> &handlers() {
    static const std::map<std::string, Handler> table = {
        {control::status, [](ControlSide &server, const nlohmann::json &) { return server.status(); }},
        {control::profiles,
         [](ControlSide &server, const nlohmann::json &) {
             return nlohmann::json{{key::profiles, server.profiles()}};
         }},
        {control::use_profile,
         [](ControlSide &server, const nlohmann::json &request) {
             server.use_profile(request.at(key::profile).get<std::string>());
             return server.status();
         }},
        {control::reset,
         [](ControlSide &server, const nlohmann::json &) {
             server.reset();
             return server.status();
         }},
        {control::set_unit,
         [](ControlSide &server, const nlohmann::json &request) {
             server.update_unit(request.at(key::unit));
             return server.status();
         }},
        {control::set_sdr,
         [](ControlSide &server, const nlohmann::json &request) {
             server.replace_repository(hex_argument(request, key::dump));
             return server.status();
         }},
        {control::link_sdr,
         [](ControlSide &server, const nlohmann::json &request) {
             const auto record_id = [&request](const char *name) {
                 const std::optional<std::uint64_t> id = whole_number(request.at(name));
                 if (!id || *id > 0xFFFF) throw std::runtime_error(std::string("\"") + name + "\" must be 0 to 65535");
                 return static_cast<std::uint16_t>(*id);
             };
             server.link_repository(record_id(key::from), record_id(key::to));
             return server.status();
         }},
        {control::set_fru,
         [](ControlSide &server, const nlohmann::json &request) {
             server.replace_fru_image(hex_argument(request, key::image));
             return server.status();
         }},
        {control::set_sensor,
         [](ControlSide &server, const nlohmann::json &request) {
             server.set_sensor_reading(request.at(key::sensor));
             return done;
         }},
        {control::set_chassis,
         [](ControlSide &server, const nlohmann::json &request) {
             server.set_chassis_status(hex_argument(request, key::chassis_status));
             return done;
         }},
        {control::set_lcd_panel,
         [](ControlSide &server, const nlohmann::json &request) {
             server.update_lcd_panel(request.at(key::lcd_panel));
             return server.status();
         }},
        {control::advance_clock,
         [](ControlSide &server, const nlohmann::json &request) {
             server.advance_clock(request.at(key::ms).get<std::int64_t>());
             return done;
         }},
        {control::add_fault,
         [](ControlSide &server, const nlohmann::json &request) {
             server.add_fault(parse_fault(request.at(key::fault)));
             return nlohmann::json{{key::faults, server.faults()}};
         }},
        {control::clear_faults,
         [](ControlSide &server, const nlohmann::json &) {
             server.clear_faults();
             return done;
         }},
        {control::faults,
         [](ControlSide &server, const nlohmann::json &) {
             return nlohmann::json{{key::faults, server.faults()}};
         }},
        {control::log,
         [](ControlSide &server, const nlohmann::json &request) {
             const std::optional<std::uint64_t> since = whole_number(request.value(key::since, nlohmann::json(0)));
             if (!since) throw std::runtime_error("\"since\" must be a sequence number, 0 or more");
             return nlohmann::json{{key::entries, server.log(*since)}};
         }},
        {control::clear_log,
         [](ControlSide &server, const nlohmann::json &) {
             server.clear_log();
             return done;
         }},
        {control::smbios, [](ControlSide &server, const nlohmann::json &) { return server.smbios(); }},
        {control::sel_entry,
         [](ControlSide &server, const nlohmann::json &request) {
             const std::optional<std::uint64_t> id = whole_number(request.value(key::record_id, nlohmann::json(0)));
             if (!id || *id > 0xFFFF) throw std::runtime_error("\"record_id\" must be 0 to 65535");
             return server.event_log_entry(static_cast<std::uint16_t>(*id));
         }},
        {control::add_sel,
         [](ControlSide &server, const nlohmann::json &request) {
             server.add_event(hex_argument(request, key::data));
             return done;
         }},
        {control::clear_sel,
         [](ControlSide &server, const nlohmann::json &) {
             server.clear_event_log();
             return done;
         }},
    };
    return table;
}

}  // namespace

nlohmann::json run_control_command(ControlSide &server, const nlohmann::json &request) {
    try {
        if (!request.is_object() || !request.contains(key::command) || !request[key::command].is_string())
            throw std::runtime_error("a request is an object with a \"command\" text");
        const std::string command = request[key::command].get<std::string>();
        auto handler = handlers().find(command);
        if (handler == handlers().end()) throw std::runtime_error("unknown command \"" + command + "\"");
        nlohmann::json reply = handler->second(server, request);
        reply[key::ok] = true;
        return reply;
    } catch (const std::exception &error) {
        return {{key::ok, false}, {key::error, error.what()}};
    }
}

}  // namespace mgx::testbed
