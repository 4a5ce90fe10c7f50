// The state of one simulated server: its machine profile, unit, faults, SMBus devices and
// exchange log, remembered in the state store. Its two ways in are apart: the device side
// (requests from the drivers, device_side.h) and the control side (the control channel,
// control_side.h); both reach the state only through a Hold, which takes the one lock.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

#include "clock.h"
#include "exchange_log.h"
#include "fault_plan.h"
#include "management_unit.h"
#include "physical_memory.h"
#include "profile.h"
#include "smbus_controller.h"
#include "state_store.h"

namespace mgx::testbed {

inline constexpr const char *default_profile = "intel";

struct MachineState {
    Profile profile;
    PhysicalMemory memory;
    UnitState unit;
    FaultPlan faults;
    SmbusController smbus;
    ExchangeLog log;
    std::uint64_t event_log_reads = 0;  // records read by the event log library, for tests to see what a reader asked
};

class VirtualServer {
public:
    // Loads the remembered profile and unit state, else the default profile. A remembered state
    // that cannot be used is moved aside, and the log and the status say so.
    VirtualServer(std::filesystem::path profile_directory, StateStore store, Clock &clock);

    // One request's hold on the machine, under the one lock for as long as it lives.
    class Hold {
    public:
        explicit Hold(VirtualServer &server) : server_(server), lock_(server.mutex_) {}

        MachineState &machine() { return server_.machine_; }
        Clock &clock() { return server_.clock_; }
        std::int64_t now_ms() const { return server_.clock_.now_ms(); }
        // Writes the unit's state and the profile's name to the store.
        void remember() { server_.persist(); }
        // A different machine (`name` is a profile's file name): fresh unit, no faults, empty log.
        void switch_to(const std::string &name);
        const std::filesystem::path &profile_directory() const { return server_.profile_directory_; }
        const std::filesystem::path &state_file() const { return server_.store_.file(); }
        // Null, or what was wrong with the remembered state and where it is kept.
        const nlohmann::json &unusable_state() const { return server_.unusable_state_; }

    private:
        VirtualServer &server_;
        std::lock_guard<std::mutex> lock_;
    };

private:
    std::filesystem::path profile_file(const std::string &name) const;
    void restore(const nlohmann::json &remembered);
    void set_aside_unusable_state(const std::string &problem);
    void switch_to(Profile profile);
    void persist();

    std::mutex mutex_;
    std::filesystem::path profile_directory_;
    StateStore store_;
    Clock &clock_;
    MachineState machine_;
    nlohmann::json unusable_state_;
};

}  // namespace mgx::testbed
