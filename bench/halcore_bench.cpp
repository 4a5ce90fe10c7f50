// What Halcore adds to a management-unit request, on one machine of the testbed:
//   - HCXMgxInterface type 9 against the bare device requests it makes (target <= 1.2), and
//   - the fifteen detection passes of HCXInitImbSmbDll against one unit request (target < 1).
//
//   halcore_bench intel|acer|velmora [iterations]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <halcore/back_end_state.h>
#include <halcore/halcore.h>
#include <halcore/mgx_call.h>

#include "bench_timing.h"
#include "control_client.h"
#include "machine_detection.h"
#include "process_state.h"
#include "smbus_packet.h"
#include "win32/unique_handle.h"

namespace control_key = mgx::testbed::control::key;

using namespace mgx::hal;

namespace {

// The bare requests one running-time request makes on this machine's path.
std::function<bool()> bare_requests(const std::string &machine) {
    if (machine == "acer") {
        static mgx::win32::UniqueHandle device(
            CreateFileA("\\\\.\\SMBUS2", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        return [] {
            SmbRequestPackets packets = build_smb_packets(make_request(0x3A, 0x30), 0x11, process_state().owner_name);
            SmbPacket answer{};
            DWORD returned;
            return DeviceIoControl(device.get(), ioctl_smbus_lock, &packets.lock, 77, &packets.lock, 77, &returned, nullptr) &&
                   DeviceIoControl(device.get(), ioctl_smbus_transfer, &packets.write, 77, &answer, 77, &returned, nullptr) &&
                   DeviceIoControl(device.get(), ioctl_smbus_transfer, &packets.read, 77, &answer, 77, &returned, nullptr) &&
                   DeviceIoControl(device.get(), ioctl_smbus_unlock, &packets.unlock, 77, &packets.unlock, 77, &returned,
                                   nullptr);
        };
    }
    if (machine == "velmora") {
        return [] {
            std::uint8_t request[4] = {0x22, 0x30, 0x3A << 2, 0}, answer[256];
            std::uint32_t length = sizeof answer;
            return process_state().ipmi_cmd(request, answer, &length, 5000000) == 0;
        };
    }
    return [] {
        ImbRequest record{0x30, 0x22, 0, 0x3A, 0, nullptr, 0};
        std::uint8_t answer[32], code = 0xFF;
        int length = sizeof answer;
        return process_state().send_timed_imbp_request(&record, 300, answer, &length, &code) == 0 && code == 0;
    };
}

}  // namespace

int main(int argc, char **argv) {
    const std::string machine = argc > 1 ? argv[1] : "intel";
    const int iterations = argc > 2 ? std::atoi(argv[2]) : 500;
    try {
        mgx::testbed::control_request(mgx::testbed::control::use_profile, {{control_key::profile, machine}});
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench: %s\n", error.what());
        return 1;
    }
    std::int32_t type = -1;
    if (HCXInitImbSmbDll(&type) != 0 || !is_usable(type)) {
        std::fprintf(stderr, "bench: Halcore did not come up on %s (state %d)\n", machine.c_str(), type);
        return 1;
    }
    const auto dispatched = [] {
        std::uint32_t hours;
        return mgx_call<CommandType::RunningHours>(hours) == 0;
    };
    const auto detection = [] {
        std::int32_t detected;
        return DetectMachineType(&detected) == 0;
    };
    const std::function<bool()> bare = bare_requests(machine);

    double bare_time = 0, dispatched_time = 0;
    for (int round = 0; round < 5; ++round) {  // interleaved, so drift touches both alike
        bare_time += seconds_for(iterations / 5, bare);
        dispatched_time += seconds_for(iterations / 5, dispatched);
    }
    const double detection_time = seconds_for(iterations, detection);
    const double count = iterations / 5 * 5;
    std::printf("%s: bare device requests of one running-time read  %8.1f us\n", machine.c_str(), bare_time / count * 1e6);
    std::printf("%s: HCXMgxInterface type 9                         %8.1f us\n", machine.c_str(), dispatched_time / count * 1e6);
    std::printf("%s: ratio dispatched / bare                        %8.2f (target <= 1.20)\n", machine.c_str(),
                dispatched_time / bare_time);
    std::printf("%s: fifteen detection passes / one unit request    %8.3f (target < 1)\n", machine.c_str(),
                (detection_time / iterations) / (dispatched_time / count));
    HCXFreeImbSmbDll();
    mgx::testbed::control_request(mgx::testbed::control::clear_log);
    return 0;
}
