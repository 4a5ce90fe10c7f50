#include "virtual_server.h"

#include <stdexcept>

#include "control_protocol.h"
#include "server_log.h"

namespace mgx::testbed {

namespace {

// A profile's file name without its extension, never a path.
bool is_profile_name(const std::string &name) { return !name.empty() && name.find_first_of("/\\:.") == std::string::npos; }

}  // namespace

VirtualServer::VirtualServer(std::filesystem::path profile_directory, StateStore store, Clock &clock)
    : profile_directory_(std::move(profile_directory)), store_(std::move(store)), clock_(clock) {
    std::string problem;
    try {
        if (std::optional<nlohmann::json> remembered = store_.load()) {
            restore(*remembered);
            return;
        }
    } catch (const UnusableState &error) {
        problem = error.what();
    } catch (const nlohmann::json::exception &error) {
        problem = std::string("a field does not hold what it should: ") + error.what();
    } catch (const std::exception &error) {
        problem = error.what();
    }
    if (!problem.empty()) set_aside_unusable_state(problem);
    switch_to(load_profile(profile_file(default_profile)));
}

void VirtualServer::restore(const nlohmann::json &remembered) {
    const std::string name = remembered.at("profile").get<std::string>();
    if (!is_profile_name(name)) throw UnusableState("\"" + name + "\" is not a machine's name");
    MachineState &machine = machine_;
    try {
        machine.profile = load_profile(profile_file(name));
    } catch (const std::exception &error) {
        throw UnusableState("its machine \"" + name + "\" cannot be loaded: " + error.what());
    }
    machine.memory = build_physical_memory(machine.profile);
    machine.unit = UnitState::initial(machine.profile.unit, clock_.now_ms());
    machine.unit.update_from(remembered.value("unit", nlohmann::json::object()), clock_.now_ms());
    machine.smbus.reset(machine.profile.lcd_panel);
    if (remembered.contains("lcd_panel") && !remembered["lcd_panel"].is_null())
        machine.smbus.panel().update(remembered["lcd_panel"]);
    for (const nlohmann::json &fault : remembered.value("faults", nlohmann::json::array()))
        machine.faults.add(parse_fault(fault));
    // The clock only moves forward: a remembered advance is taken up again, once.
    const std::int64_t advanced = remembered.value("clock_advanced_ms", std::int64_t{0});
    if (advanced > clock_.offset_ms()) clock_.advance(advanced - clock_.offset_ms());
}

std::filesystem::path VirtualServer::profile_file(const std::string &name) const { return profile_directory_ / (name + ".json"); }

void VirtualServer::set_aside_unusable_state(const std::string &problem) {
    std::string kept;
    try {
        kept = store_.set_aside().string();
    } catch (const std::exception &error) {
        kept = std::string("(left in place: ") + error.what() + ")";
    }
    unusable_state_ = {
        {control::key::problem, problem}, {control::key::file, store_.file().string()}, {control::key::kept_as, kept}};
    server_log("the remembered state " + store_.file().string() + " is not usable: " + problem + "; it is kept as " + kept +
               "; the server starts afresh as the default machine \"" + default_profile + "\"");
}

void VirtualServer::switch_to(Profile profile) {
    MachineState &machine = machine_;
    machine.memory = build_physical_memory(profile);
    machine.profile = std::move(profile);
    machine.unit = UnitState::initial(machine.profile.unit, clock_.now_ms());
    machine.faults.clear();
    machine.smbus.reset(machine.profile.lcd_panel);
    machine.log.clear();
    persist();
    server_log("profile " + machine.profile.name);
}

void VirtualServer::persist() {
    nlohmann::json unit = machine_.unit.to_json(clock_.now_ms());
    unit["platform"] = machine_.unit.platform_json();
    nlohmann::json faults = nlohmann::json::array();
    for (const Fault &fault : machine_.faults.faults()) faults.push_back(to_json(fault));
    nlohmann::json panel = machine_.smbus.panel().to_json();
    if (!panel.is_null())
        panel = {{control::key::write_counter, panel[control::key::write_counter]},
                 {control::key::pages, panel[control::key::pages]}};
    store_.save({{"profile", machine_.profile.name},
                 {"unit", std::move(unit)},
                 {"lcd_panel", std::move(panel)},
                 {"faults", std::move(faults)},
                 {"clock_advanced_ms", clock_.offset_ms()}});
}

void VirtualServer::Hold::switch_to(const std::string &name) {
    if (!is_profile_name(name)) throw std::runtime_error("not a profile name: \"" + name + "\"");
    server_.switch_to(load_profile(server_.profile_file(name)));
}

}  // namespace mgx::testbed
