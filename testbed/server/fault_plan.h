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
};

struct Fault {
    FaultKind kind = FaultKind::CompletionCode;
    std::optional<DeviceKind> device;                       // any device when absent
    std::optional<std::uint8_t> network_function, command;  // any message when absent
    std::optional<int> remaining;                           // always when absent
    std::uint8_t code = 0xFF;                               // completion code of CompletionCode faults
    int skip = 0;                                           // matching requests let through before it applies
    std::optional<std::uint8_t> address = std::nullopt;     // SMBus device address (0x18: the LCD panel controller)
};

// What a request offers for matching: its device and, where it carries one, its message.
struct FaultSite {
    DeviceKind device;
    std::optional<std::uint8_t> network_function, command;
    std::optional<std::uint8_t> address = std::nullopt;
};

class FaultPlan {
public:
    void add(const Fault &fault) { faults_.push_back(fault); }
    void clear() { faults_.clear(); }
    const std::vector<Fault> &faults() const { return faults_; }

    // The first fault of this kind that matches the site, counted down (and removed when spent).
    std::optional<Fault> take(FaultKind kind, const FaultSite &site);

private:
    std::vector<Fault> faults_;
};

// Throws std::runtime_error on a malformed fault.
Fault parse_fault(const nlohmann::json &node);
nlohmann::json to_json(const Fault &fault);

}  // namespace mgx::testbed
