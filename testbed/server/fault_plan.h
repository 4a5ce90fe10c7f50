// Faults injected into the simulated hardware, set from tests or the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "profile.h"

namespace mgx::testbed {

enum class FaultKind {
    CompletionCode,      // the unit answers `code` instead of processing the command; the LCD panel
                         // controller refuses a write with `code` as its last error
    RefuseLock,          // SMBus lock requests fail
    FailWrite,           // SMBus write fails; on the BMC and IMB drivers the request fails
    FailRead,            // SMBus read fails
    BadChecksum,         // SMBus answer checksum corrupted
    BadHeader,           // SMBus answer network function is not request + 1; on the LCD panel
                         // controller the echoed command is wrong
    BadStatus,           // the LCD panel controller answers with status byte 0x31
    CounterStuck,        // the LCD panel controller carries out a write without counting it
    ShortAnswer,         // the answer loses its last data byte
    Silence,             // the unit does not answer at all
    DriverStartFailure,  // the driver's entry point fails
    Delay,               // the unit answers, but only `delay_ms` later (a slow unit or owner)
};

struct Fault {
    FaultKind kind = FaultKind::CompletionCode;
    std::optional<DeviceKind> device;                       // any device when absent
    std::optional<std::uint8_t> network_function, command;  // any message when absent
    std::optional<int> remaining;                           // always when absent
    std::uint8_t code = 0xFF;                               // completion code of CompletionCode faults
    int skip = 0;                                           // matching requests let through before it applies
    std::optional<std::uint8_t> address = std::nullopt;     // SMBus device address: the unit 0x11, a sensor
                                                            // owner's (its ID >> 1), the LCD panel controller 0x18
    std::uint32_t delay_ms = 0;                             // of Delay faults
};

// What a request offers for matching: its device and, where it carries one, its message.
struct FaultSite {
    DeviceKind device;
    std::optional<std::uint8_t> network_function, command;
    std::optional<std::uint8_t> address = std::nullopt;
};

class FaultPlan {
public:
    void add(const Fault &fault) {
        faults_.push_back(fault);
        ++revision_;
    }
    void clear() {
        faults_.clear();
        ++revision_;
    }
    const std::vector<Fault> &faults() const { return faults_; }

    // The first fault of this kind that matches the site, counted down (and removed when spent).
    std::optional<Fault> take(FaultKind kind, const FaultSite &site);
    // Counts every change of the plan (a fault added, cleared, counted down or skipped past).
    std::uint64_t revision() const { return revision_; }

private:
    std::vector<Fault> faults_;
    std::uint64_t revision_ = 0;
};

// Throws std::runtime_error on a malformed fault.
Fault parse_fault(const nlohmann::json &node);
nlohmann::json to_json(const Fault &fault);

}  // namespace mgx::testbed
