// The virtual server's control side: what the control channel asks of the machine. Each
// operation holds the machine for its whole length and throws std::runtime_error with a message
// for the caller when it is refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "fault_plan.h"
#include "virtual_server.h"

namespace mgx::testbed {

class ControlSide {
public:
    explicit ControlSide(VirtualServer &server) : server_(server) {}

    nlohmann::json status();
    nlohmann::json profiles();
    void use_profile(const std::string &name);  // a different machine: fresh unit, no faults, empty log
    void reset();                               // the same with the current profile
    void update_unit(const nlohmann::json &fields);
    // The controller's platform side, until the machine is reset: the repository (a dump as
    // `ipmitool sdr dump` writes it), FRU device 0 (kept in the unit's memory), one sensor's
    // reading (owner, number, raw, flags, states) and the chassis status answer.
    void replace_repository(const std::vector<std::uint8_t> &dump);
    void link_repository(std::uint16_t from, std::uint16_t to);
    void replace_fru_image(const std::vector<std::uint8_t> &image);
    void set_sensor_reading(const nlohmann::json &reading);
    void set_chassis_status(const std::vector<std::uint8_t> &status);
    // The LCD panel controller's write counter and display pages (see LcdPanelController).
    void update_lcd_panel(const nlohmann::json &fields);
    void advance_clock(std::int64_t ms);
    void add_fault(const Fault &fault);
    void clear_faults();
    nlohmann::json faults();
    nlohmann::json log(std::uint64_t since);
    void clear_log();
    nlohmann::json smbios();

    // The unit's event log (control_event_log.cpp): record ID 0 is the first record; "next" is
    // 0xFFFF after the last.
    nlohmann::json event_log_entry(std::uint16_t record_id);
    void add_event(const std::vector<std::uint8_t> &record);  // 16 bytes; its record ID is set
    void clear_event_log();

private:
    VirtualServer &server_;
};

}  // namespace mgx::testbed
