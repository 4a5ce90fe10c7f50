// Test-side access to the stand-in drivers and the testbed's services.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "control_client.h"
#include "win32/unique_handle.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::testbed::testing {

using Bytes = std::vector<std::uint8_t>;

struct IoctlResult {
    bool ok = false;
    DWORD error = 0;  // GetLastError when !ok
    Bytes output;
};

win32::UniqueHandle open_device(const char *name);
IoctlResult ioctl(HANDLE device, DWORD code, const Bytes &input, DWORD output_capacity);

// The Win32 error a request completed with this status reports.
DWORD win32_error_of(std::int32_t nt_status);

// Stops or starts a service and waits for the state to settle; false when it failed.
bool stop_service(const char *name);
bool start_service(const char *name);

// Every end-to-end test starts from a fresh unit on its profile, with no faults and an empty log.
class TestbedTest : public ::testing::Test {
protected:
    void use(const std::string &profile) {
        control_request(mgx::testbed::control::use_profile, {{control_key::profile, profile}});
    }
    void add_fault(nlohmann::json fault) {
        control_request(mgx::testbed::control::add_fault, {{control_key::fault, std::move(fault)}});
    }
    nlohmann::json log() { return control_request(mgx::testbed::control::log)[control_key::entries]; }
    void TearDown() override { control_request(mgx::testbed::control::clear_faults); }
};

}  // namespace mgx::testbed::testing
