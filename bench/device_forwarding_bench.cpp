// What forwarding through a stand-in driver costs: the same request to the virtual server, once
// as a device request through "\\.\imbdrv" and once as a bare round trip on the server's device
// pipe, and the platform's own cost of a device request: one the driver refuses at once (a
// METHOD_NEITHER code) without forwarding it. A forwarded request cannot cost less than a device
// request and a round trip (under Wine that floor alone is about twice the round trip), so the
// target is forwarded / (bare + alone) <= 1.2: forwarding adds at most a fifth to that floor.
//
//   device_forwarding_bench [iterations]   (the testbed must run; the profile is switched to "intel")
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_timing.h"
#include "control_client.h"
#include "device_protocol.h"
#include "win32/unique_handle.h"

namespace control_key = mgx::testbed::control::key;

namespace {

using mgx::win32::UniqueHandle;

std::vector<std::uint8_t> running_time_message() {
    MgxtbImbMessage header{300, 0x22, 0x3A, 0, 0x30, 0, 0};
    std::vector<std::uint8_t> input(sizeof header);
    std::memcpy(input.data(), &header, sizeof header);
    return input;
}

bool bare_round_trip(HANDLE pipe, const std::vector<std::uint8_t> &frame, std::uint8_t *reply, DWORD reply_size) {
    DWORD done = 0;
    if (!WriteFile(pipe, frame.data(), static_cast<DWORD>(frame.size()), &done, nullptr)) return false;
    DWORD got = 0;
    while (got < reply_size) {
        if (!ReadFile(pipe, reply + got, reply_size - got, &done, nullptr) || done == 0) return false;
        got += done;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 2000;
    try {
        mgx::testbed::control_request(mgx::testbed::control::use_profile, {{control_key::profile, "intel"}});
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench: %s\n", error.what());
        return 1;
    }
    const std::vector<std::uint8_t> message = running_time_message();

    UniqueHandle device(CreateFileA("\\\\.\\imbdrv", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    UniqueHandle pipe(CreateFileA(MGXTB_DEVICE_PIPE, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device || !pipe) {
        std::fprintf(stderr, "bench: the IMB driver or the server's device pipe cannot be opened\n");
        return 1;
    }
    MgxtbRequestHeader header{MGXTB_FRAME_MAGIC,
                              MgxtbDeviceImb,
                              MGXTB_IOCTL_IMB_SEND_MESSAGE,
                              GetCurrentProcessId(),
                              static_cast<std::uint32_t>(message.size()),
                              16};
    std::vector<std::uint8_t> frame(sizeof header + message.size());
    std::memcpy(frame.data(), &header, sizeof header);
    std::memcpy(frame.data() + sizeof header, message.data(), message.size());
    std::uint8_t reply[sizeof(MgxtbReplyHeader) + 5];

    const auto run_forwarded = [&] {
        std::uint8_t answer[16];
        DWORD returned;
        return DeviceIoControl(device.get(), MGXTB_IOCTL_IMB_SEND_MESSAGE, const_cast<std::uint8_t *>(message.data()),
                               static_cast<DWORD>(message.size()), answer, sizeof answer, &returned, nullptr) &&
               returned == 5;
    };
    const auto run_bare = [&] { return bare_round_trip(pipe.get(), frame, reply, sizeof reply); };
    const auto run_refused = [&] {
        DWORD returned;
        return !DeviceIoControl(device.get(), MGXTB_IOCTL_IMB_SEND_MESSAGE | 3, nullptr, 0, nullptr, 0, &returned, nullptr);
    };

    // Interleaved rounds, so drift on the machine touches all sides alike.
    double forwarded = 0, bare = 0, refused = 0;
    for (int round = 0; round < 10; ++round) {
        refused += seconds_for(iterations / 10, run_refused);
        bare += seconds_for(iterations / 10, run_bare);
        forwarded += seconds_for(iterations / 10, run_forwarded);
    }
    const double count = iterations / 10 * 10;
    std::printf("bare named-pipe round trip   %8.1f us\n", bare / count * 1e6);
    std::printf("request through the driver   %8.1f us\n", forwarded / count * 1e6);
    std::printf("device request alone         %8.1f us (refused by the driver, not forwarded)\n", refused / count * 1e6);
    std::printf("ratio forwarded / bare       %8.2f\n", forwarded / bare);
    std::printf("ratio (bare + alone) / bare  %8.2f (the platform's floor for forwarding)\n", (bare + refused) / bare);
    std::printf("ratio forwarded / floor      %8.2f (target <= 1.20)\n", forwarded / (bare + refused));
    mgx::testbed::control_request(mgx::testbed::control::clear_log);
    return 0;
}
