// The state of one simulated server and the two ways in: device requests from the drivers and
// commands from the control channel. Thread-safe: every entry point takes the one lock.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "clock.h"
#include "device_reply.h"
#include "exchange_log.h"
#include "fault_plan.h"
#include "management_unit.h"
#include "physical_memory.h"
#include "profile.h"
#include "smbus_controller.h"
#include "state_store.h"

namespace mgx::testbed {

inline constexpr const char *default_profile = "intel";

class VirtualServer {
public:
    // Loads the remembered profile and unit state, else the default profile. A remembered state
    // that cannot be used is moved aside, and the log and the status say so.
    VirtualServer(std::filesystem::path profile_directory, StateStore store, Clock &clock);

    DeviceReply handle(const DeviceRequest &request);

    // Control operations; each throws std::runtime_error with a message for the caller.
    nlohmann::json status();
    nlohmann::json profiles();
    void use_profile(const std::string &name);  // a different machine: fresh unit, no faults, empty log
    void reset();                               // the same with the current profile
    void update_unit(const nlohmann::json &fields);
    // The controller's platform side, until the machine is reset: the repository (a dump as
    // `ipmitool sdr dump` writes it), FRU device 0 (kept in the unit's memory), one sensor's
    // reading ({"owner", "number", "raw", "flags", "states"}) and the chassis status answer.
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
    // The unit's event log: record ID 0 is the first record; "next" is 0xFFFF after the last.
    nlohmann::json event_log_entry(std::uint16_t record_id);
    void add_event(const std::vector<std::uint8_t> &record);  // 16 bytes; its record ID is set
    void clear_event_log();

private:
    void restore(const nlohmann::json &remembered);
    void set_aside_unusable_state(const std::string &problem);
    void switch_to(Profile profile);
    void persist();
    nlohmann::json fault_list() const;
    DeviceReply dispatch(const DeviceRequest &request, UnitPort &unit);

    std::mutex mutex_;
    std::filesystem::path profile_directory_;
    StateStore store_;
    Clock &clock_;
    Profile profile_;
    PhysicalMemory memory_;
    UnitState unit_;
    FaultPlan faults_;
    SmbusController smbus_;
    ExchangeLog log_;
    nlohmann::json unusable_state_;  // null, or what was wrong with the remembered state and where it is kept
};

}  // namespace mgx::testbed
