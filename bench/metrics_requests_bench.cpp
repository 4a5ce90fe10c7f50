// mgxtool metrics on the acer machine against the reads its series need made bare in this
// process (the library's start with its repository walk, one reading per sensor, the unit's
// settings and identity, the FRU list and the event log): the device requests of each and
// their ratio (target <= 1.2), and the run's time against the bare reads' time.
//
//   metrics_requests_bench
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <halcore/event_log_record.h>
#include <halcore/halcore.h>
#include <halcore/mgx_call.h>
#include <halcore/sensor_types.h>

#include "control_client.h"
#include "win32/process_launcher.h"
#include "win32/program_directory.h"

namespace control_key = mgx::testbed::control::key;

namespace {

using mgx::testbed::control_request;
namespace control = mgx::testbed::control;
using namespace mgx::hal;

std::uint64_t logged_requests() {
    return control_request(control::status)[control_key::log][control_key::next_sequence].get<std::uint64_t>();
}

void bare_reads() {
    std::int32_t state = -1;
    HCXInitImbSmbDll(&state);
    std::uint32_t hours = 0;
    mgx_call<CommandType::RunningHours>(hours);
    MgxDeviceIdentity identity{};
    mgx_call<CommandType::DeviceIdentity>(identity);
    BootMonitorSettings boot{};
    mgx_call<CommandType::BootMonitoring>(boot);
    std::int32_t mode = 0;
    mgx_call<CommandType::SafeMode>(mode);
    for (std::uint32_t type = sensor_type::first; type <= sensor_type::last; ++type) {
        std::int32_t count = 0;
        HCXGetSensorNumber(type, &count);
        for (std::int32_t index = 1; index <= count; ++index) {
            SensorInfoRecord record{};
            HCXGetSensorInfo(type, static_cast<std::uint32_t>(index), &record);
            std::int32_t value = 0;
            HCXGetSensorCurrentVal(type, static_cast<std::uint32_t>(index), record.current_value_reading_type(), &value);
        }
    }
    std::int32_t cursor = 0;
    for (FruInventoryRecord record{}; HCXGetInvFruInfo(&cursor, &record) == 0;) {
    }
    HCXFreeImbSmbDll();
    SetCurrentDirectoryA(mgx::win32::program_directory().c_str());
    mgx::hal::EventLogRequest request{0, 0, {}};
    while (HCXGetCompleteSELInfo(&request, nullptr) == 0 && request.next_record_id != mgx::hal::event_log_last_record)
        request.record_id = request.next_record_id;
}

double run_metrics() {
    const auto started = std::chrono::steady_clock::now();
    if (!mgx::win32::run_and_wait(mgx::win32::CommandLine(mgx::win32::program_directory_wide() + L"mgxtool.exe")
                                      .argument(L"metrics")
                                      .argument(L"--output")
                                      .argument(L"metrics-bench.prom")))
        return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
}

}  // namespace

int main() {
    control_request(control::use_profile, {{control_key::profile, "acer"}});
    std::uint64_t before = logged_requests();
    const auto started = std::chrono::steady_clock::now();
    bare_reads();
    const double bare_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    const std::uint64_t bare = logged_requests() - before;
    before = logged_requests();
    const double metrics_ms = run_metrics();
    const std::uint64_t metrics = logged_requests() - before;
    DeleteFileA("metrics-bench.prom");
    std::printf("bare reads       %8llu device requests  %8.1f ms\n", static_cast<unsigned long long>(bare), bare_ms);
    std::printf("mgxtool metrics  %8llu device requests  %8.1f ms (with its process start)\n",
                static_cast<unsigned long long>(metrics), metrics_ms);
    const double ratio = bare ? static_cast<double>(metrics) / static_cast<double>(bare) : 0;
    std::printf("requests ratio   %.3f (target <= 1.2)\n", ratio);
    return ratio <= 1.2 ? 0 : 1;
}
