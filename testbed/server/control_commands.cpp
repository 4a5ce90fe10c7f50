#include "control_commands.h"

#include <functional>
#include <map>
#include <stdexcept>

#include "control_protocol.h"
#include "json_numbers.h"
#include "text/hex.h"

namespace mgx::testbed {

namespace {

using Handler = std::function<nlohmann::json(VirtualServer &, const nlohmann::json &)>;

const nlohmann::json done = nlohmann::json::object();

std::vector<std::uint8_t> hex_argument(const nlohmann::json &request, const char *key) {
    const auto bytes = text::from_hex(request.at(key).get<std::string>());
    if (!bytes) throw std::runtime_error(std::string("\"") + key + "\" must be hexadecimal bytes");
    return *bytes;
}

const std::map<std::string, Handler> &handlers() {
    static const std::map<std::string, Handler> table = {
        {control::status, [](VirtualServer &server, const nlohmann::json &) { return server.status(); }},
        {control::profiles, [](VirtualServer &server, const nlohmann::json &) { return nlohmann::json{{control::profiles, server.profiles()}}; }},
        {control::use_profile,
         [](VirtualServer &server, const nlohmann::json &request) {
             server.use_profile(request.at("profile").get<std::string>());
             return server.status();
         }},
        {control::reset,
         [](VirtualServer &server, const nlohmann::json &) {
             server.reset();
             return server.status();
         }},
        {control::set_unit,
         [](VirtualServer &server, const nlohmann::json &request) {
             server.update_unit(request.at("unit"));
             return server.status();
         }},
        {control::set_sdr,
         [](VirtualServer &server, const nlohmann::json &request) {
             server.replace_repository(hex_argument(request, "dump"));
             return server.status();
         }},
        {control::link_sdr,
         [](VirtualServer &server, const nlohmann::json &request) {
             const auto record_id = [&request](const char *key) {
                 const std::optional<std::uint64_t> id = whole_number(request.at(key));
                 if (!id || *id > 0xFFFF) throw std::runtime_error(std::string("\"") + key + "\" must be 0 to 65535");
                 return static_cast<std::uint16_t>(*id);
             };
             server.link_repository(record_id("from"), record_id("to"));
             return server.status();
         }},
        {control::set_fru,
         [](VirtualServer &server, const nlohmann::json &request) {
             server.replace_fru_image(hex_argument(request, "image"));
             return server.status();
         }},
        {control::set_sensor,
         [](VirtualServer &server, const nlohmann::json &request) {
             server.set_sensor_reading(request.at("sensor"));
             return done;
         }},
        {control::set_chassis,
         [](VirtualServer &server, const nlohmann::json &request) {
             server.set_chassis_status(hex_argument(request, "status"));
             return done;
         }},
        {control::set_lcd_panel,
         [](VirtualServer &server, const nlohmann::json &request) {
             server.update_lcd_panel(request.at("lcd_panel"));
             return server.status();
         }},
        {control::advance_clock,
         [](VirtualServer &server, const nlohmann::json &request) {
             server.advance_clock(request.at("ms").get<std::int64_t>());
             return done;
         }},
        {control::add_fault,
         [](VirtualServer &server, const nlohmann::json &request) {
             server.add_fault(parse_fault(request.at("fault")));
             return nlohmann::json{{control::faults, server.faults()}};
         }},
        {control::clear_faults,
         [](VirtualServer &server, const nlohmann::json &) {
             server.clear_faults();
             return done;
         }},
        {control::faults, [](VirtualServer &server, const nlohmann::json &) { return nlohmann::json{{control::faults, server.faults()}}; }},
        {control::log,
         [](VirtualServer &server, const nlohmann::json &request) {
             const std::optional<std::uint64_t> since = whole_number(request.value("since", nlohmann::json(0)));
             if (!since) throw std::runtime_error("\"since\" must be a sequence number, 0 or more");
             return nlohmann::json{{"entries", server.log(*since)}};
         }},
        {control::clear_log,
         [](VirtualServer &server, const nlohmann::json &) {
             server.clear_log();
             return done;
         }},
        {control::smbios, [](VirtualServer &server, const nlohmann::json &) { return server.smbios(); }},
        {control::sel_entry,
         [](VirtualServer &server, const nlohmann::json &request) {
             const std::optional<std::uint64_t> id = whole_number(request.value("record_id", nlohmann::json(0)));
             if (!id || *id > 0xFFFF) throw std::runtime_error("\"record_id\" must be 0 to 65535");
             return server.event_log_entry(static_cast<std::uint16_t>(*id));
         }},
        {control::add_sel,
         [](VirtualServer &server, const nlohmann::json &request) {
             server.add_event(hex_argument(request, "data"));
             return done;
         }},
        {control::clear_sel,
         [](VirtualServer &server, const nlohmann::json &) {
             server.clear_event_log();
             return done;
         }},
    };
    return table;
}

}  // namespace

nlohmann::json run_control_command(VirtualServer &server, const nlohmann::json &request) {
    try {
        if (!request.is_object() || !request.contains("command") || !request["command"].is_string())
            throw std::runtime_error("a request is an object with a \"command\" text");
        auto handler = handlers().find(request["command"].get<std::string>());
        if (handler == handlers().end())
            throw std::runtime_error("unknown command \"" + request["command"].get<std::string>() + "\"");
        nlohmann::json reply = handler->second(server, request);
        reply["ok"] = true;
        return reply;
    } catch (const std::exception &error) {
        return {{"ok", false}, {"error", error.what()}};
    }
}

}  // namespace mgx::testbed
