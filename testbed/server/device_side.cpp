#include "device_side.h"

#include <optional>

#include "bmc_controller.h"
#include "device_protocol.h"
#include "imb_controller.h"

namespace mgx::testbed {

namespace {

std::optional<DeviceKind> kind_of(std::uint32_t device) {
    switch (device) {
    case MgxtbDeviceImb: return DeviceKind::Imb;
    case MgxtbDeviceBmc: return DeviceKind::Bmc;
    case MgxtbDeviceSmbus: return DeviceKind::Smbus;
    }
    return std::nullopt;
}

DeviceReply dispatch(MachineState &machine, const DeviceRequest &request, UnitPort &unit) {
    std::optional<DeviceKind> kind = kind_of(request.device);
    if (!kind) return DeviceReply::failure(nt::invalid_device_request, "unknown device");
    if (request.code == MGXTB_CODE_DRIVER_START) {
        if (machine.faults.take(FaultKind::DriverStartFailure, {*kind, {}, {}}))
            return DeviceReply::failure(nt::unsuccessful, "injected driver start failure");
        return DeviceReply{nt::success, {}, "driver started", {}, {}};
    }
    if (!machine.profile.has_device(*kind))
        return DeviceReply::failure(nt::device_does_not_exist, "no such hardware on this machine");
    switch (*kind) {
    case DeviceKind::Smbus: return machine.smbus.handle(request.code, request.input, request.output_capacity, unit);
    case DeviceKind::Bmc: return handle_bmc_request(request.code, request.input, request.output_capacity, unit, machine.memory);
    case DeviceKind::Imb: return handle_imb_request(request.code, request.input, request.output_capacity, unit);
    }
    return DeviceReply::failure(nt::invalid_device_request, "unknown device");
}

}  // namespace

DeviceReply handle_device_request(VirtualServer &server, const DeviceRequest &request) {
    VirtualServer::Hold hold(server);
    MachineState &machine = hold.machine();
    UnitPort unit(machine.unit, machine.profile.unit, machine.faults, hold.now_ms());
    const std::uint64_t faults_before = machine.faults.revision();
    DeviceReply reply = dispatch(machine, request, unit);
    if (reply.output.size() > request.output_capacity) {
        reply.output.clear();
        reply.status = nt::buffer_too_small;
    }
    reply.delay_ms = unit.delay_ms();
    machine.log.record(hold.now_ms(), request, reply);
    if (unit.state_changed() || machine.faults.revision() != faults_before) hold.remember();
    return reply;
}

}  // namespace mgx::testbed
