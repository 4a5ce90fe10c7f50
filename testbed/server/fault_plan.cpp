#include "fault_plan.h"

#include <array>
#include <stdexcept>
#include <utility>

#include "control_protocol.h"
#include "lcd_panel_controller.h"

namespace mgx::testbed {

namespace key = control::key;

namespace {

constexpr std::array<std::pair<FaultKind, const char *>, 12> kind_names{{
    {FaultKind::CompletionCode, "completion-code"},
    {FaultKind::RefuseLock, "refuse-lock"},
    {FaultKind::FailWrite, "fail-write"},
    {FaultKind::FailRead, "fail-read"},
    {FaultKind::BadChecksum, "bad-checksum"},
    {FaultKind::BadHeader, "bad-header"},
    {FaultKind::BadStatus, "bad-status"},
    {FaultKind::CounterStuck, "counter-stuck"},
    {FaultKind::ShortAnswer, "short-answer"},
    {FaultKind::Silence, "silence"},
    {FaultKind::DriverStartFailure, "driver-start-failure"},
    {FaultKind::Delay, "delay"},
}};

constexpr long long longest_delay_ms = 600'000;

bool matches(const std::optional<std::uint8_t> &wanted, const std::optional<std::uint8_t> &offered) {
    return !wanted || (offered && *wanted == *offered);
}

std::optional<std::uint8_t> byte_field(const nlohmann::json &node, const char *name) {
    if (!node.contains(name) || node[name].is_null()) return std::nullopt;
    if (!node[name].is_number_integer() || node[name].get<long long>() < 0 || node[name].get<long long>() > 255)
        throw std::runtime_error(std::string("fault \"") + name + "\" must be 0 to 255");
    return static_cast<std::uint8_t>(node[name].get<int>());
}

}  // namespace

std::optional<Fault> FaultPlan::take(FaultKind kind, const FaultSite &site) {
    for (auto fault = faults_.begin(); fault != faults_.end(); ++fault) {
        if (fault->kind != kind) continue;
        if (fault->device && *fault->device != site.device) continue;
        if (!matches(fault->network_function, site.network_function) || !matches(fault->command, site.command) ||
            !matches(fault->address, site.address))
            continue;
        if (fault->skip > 0) {
            --fault->skip;
            ++revision_;
            return std::nullopt;
        }
        Fault taken = *fault;
        if (fault->remaining) ++revision_;
        if (fault->remaining && --*fault->remaining <= 0) faults_.erase(fault);
        return taken;
    }
    return std::nullopt;
}

Fault parse_fault(const nlohmann::json &node) {
    if (!node.is_object()) throw std::runtime_error("a fault must be a JSON object");
    Fault fault;
    const std::string kind = node.value(key::kind, "");
    bool known = false;
    for (const auto &[value, name] : kind_names)
        if (kind == name) fault.kind = value, known = true;
    if (!known) throw std::runtime_error("unknown fault kind \"" + kind + "\"");
    if (node.contains(key::device) && !node[key::device].is_null()) {
        std::string device = node[key::device].get<std::string>();
        if (device != "any") {
            fault.device = device_from_name(device);
            if (!fault.device) throw std::runtime_error("unknown device \"" + device + "\"");
        }
    }
    fault.network_function = byte_field(node, key::netfn);
    fault.command = byte_field(node, key::command);
    fault.address = byte_field(node, key::address);
    const bool always = !node.contains(key::count) || node[key::count].is_null() || node[key::count] == "always";
    if (!always) {
        if (!node[key::count].is_number_integer() || node[key::count].get<long long>() < 1 ||
            node[key::count].get<long long>() > 1000000)
            throw std::runtime_error("fault \"count\" must be 1 to 1000000 (leave it out for always)");
        fault.remaining = node[key::count].get<int>();
    }
    if (auto code = byte_field(node, key::code)) fault.code = *code;
    if (node.contains(key::skip)) {
        if (!node[key::skip].is_number_integer() || node[key::skip].get<long long>() < 0 ||
            node[key::skip].get<long long>() > 1000000)
            throw std::runtime_error("fault \"skip\" must be 0 to 1000000");
        fault.skip = node[key::skip].get<int>();
    }
    if (fault.kind == FaultKind::CompletionCode && !node.contains(key::code))
        throw std::runtime_error("a completion-code fault needs \"code\"");
    // What no request of the fault's kind carries would never let it fire.
    const std::string named = "a " + kind + " fault";
    if (fault.kind != FaultKind::CompletionCode && node.contains(key::code) && !node[key::code].is_null())
        throw std::runtime_error(named + " takes no \"code\" (only completion-code faults answer with one)");
    if (fault.kind != FaultKind::Delay && node.contains(key::ms) && !node[key::ms].is_null())
        throw std::runtime_error(named + " takes no \"ms\" (only delay faults hold answers back)");
    if (fault.kind == FaultKind::DriverStartFailure && (fault.network_function || fault.command || fault.address))
        throw std::runtime_error(named + " matches the driver's start alone: it takes no \"netfn\", \"command\" or \"address\"");
    if (fault.address == lcd::device_address && fault.network_function)
        throw std::runtime_error(
            "the LCD panel controller (address 0x18) speaks its own commands, which have no network "
            "function: give \"command\" alone");
    if (fault.kind == FaultKind::Delay) {
        if (!node.contains(key::ms) || !node[key::ms].is_number_integer() || node[key::ms].get<long long>() < 1 ||
            node[key::ms].get<long long>() > longest_delay_ms)
            throw std::runtime_error("a delay fault needs \"ms\", 1 to 600000");
        fault.delay_ms = node[key::ms].get<std::uint32_t>();
    }
    // Only the SMBus driver's requests are addressed; the BMC and IMB drivers carry the message alone.
    if (fault.address && fault.device && *fault.device != DeviceKind::Smbus)
        throw std::runtime_error("\"address\" names an SMBus device; requests of the " + std::string(device_name(*fault.device)) +
                                 " driver carry no address");
    return fault;
}

nlohmann::json to_json(const Fault &fault) {
    nlohmann::json node;
    for (const auto &[value, name] : kind_names)
        if (value == fault.kind) node[key::kind] = name;
    node[key::device] = fault.device ? device_name(*fault.device) : "any";
    if (fault.network_function) node[key::netfn] = *fault.network_function;
    if (fault.command) node[key::command] = *fault.command;
    if (fault.address) node[key::address] = *fault.address;
    node[key::count] = fault.remaining ? nlohmann::json(*fault.remaining) : nlohmann::json("always");
    if (fault.kind == FaultKind::CompletionCode) node[key::code] = fault.code;
    if (fault.skip) node[key::skip] = fault.skip;
    if (fault.kind == FaultKind::Delay) node[key::ms] = fault.delay_ms;
    return node;
}

}  // namespace mgx::testbed
