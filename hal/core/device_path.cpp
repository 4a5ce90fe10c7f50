// Requests over the open device (the SMBus driver): lock, write, read and unlock, each retried
// with 1000 ms waits, in at most N cycles.
#include <cstring>

#include <halcore/status_codes.h>

#include "bounded_text.h"
#include "platform.h"
#include "process_state.h"
#include "smbus_packet.h"
#include "trace.h"
#include "transport.h"

namespace mgx::hal {

namespace {

bool device_request(HANDLE device, std::uint32_t code, SmbPacket &input, SmbPacket &output) {
    DWORD returned = 0;
    return platform().device_io_control(device, code, &input, sizeof input, &output, sizeof output, &returned);
}

}  // namespace

std::int32_t send_over_device(const MgxRequest &request, MgxResponse &response, std::uint8_t target) {
    ProcessState &state = process_state();
    HANDLE device = state.device;
    if (!device || device == INVALID_HANDLE_VALUE) return status::no_device;
    const int attempts = starts_with_ignoring_case(state.owner_name, "GK7T30", 6) || state.extended_retry ? 10 : 2;
    SmbRequestPackets packets = build_smb_packets(request, target, state.owner_name);
    SmbPacket answer{};

    bool exchanged = false;
    for (int cycle = 0; cycle < attempts && !exchanged; ++cycle) {
        for (int failures = 0; !device_request(device, ioctl_smbus_lock, packets.lock, packets.lock);) {
            if (++failures == attempts) {
                HAL_TRACE(trace_main, "Send  Lock DeviceIoctl Failed with error code %d and ioctl return Valu %d",
                          static_cast<int>(GetLastError()), packets.lock.driver_return);
                return status::device_lock_failed;
            }
            wait_ms(1000);
        }

        int write_failures = 0, read_failures = 0;
        for (;;) {
            if (!device_request(device, ioctl_smbus_transfer, packets.write, answer)) {
                if (++write_failures == attempts) {
                    HAL_TRACE(trace_main, "Send DeviceIoctl Failed with error code %d and ioctl return Value %d",
                              static_cast<int>(GetLastError()), answer.driver_return);
                    break;
                }
                wait_ms(1000);
                continue;
            }
            answer = SmbPacket{};
            if (device_request(device, ioctl_smbus_transfer, packets.read, answer)) {
                exchanged = true;
                break;
            }
            if (++read_failures == attempts) {
                HAL_TRACE(trace_main, "Get DeviceIoctl Failed with error code %d and ioctl return Value %d",
                          static_cast<int>(GetLastError()), answer.driver_return);
                break;
            }
            wait_ms(1000);
        }

        for (int attempt = 0; attempt < attempts; ++attempt) {
            if (device_request(device, ioctl_smbus_unlock, packets.unlock, packets.unlock)) break;
            HAL_TRACE(trace_main, "Get DeviceIoctl Failed with error code %d and ioctl return Valu %d",
                      static_cast<int>(GetLastError()), packets.unlock.driver_return);
            if (attempt + 1 < attempts) wait_ms(1000);
        }
    }
    if (!exchanged) return status::send_receive_failed;
    return unpack_smb_answer(answer, request, response);
}

}  // namespace mgx::hal
