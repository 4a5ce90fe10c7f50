#include "device_identity.h"

#include <cstring>

#include <halcore/status_codes.h>

#include "process_state.h"
#include "transport.h"

namespace mgx::hal {

namespace {
constexpr std::uint8_t netfn_application = 0x06, get_device_id = 0x01;  // the IPMI Get Device ID
}  // namespace

std::int32_t read_device_identity(MgxDeviceIdentity *identity) {
    if (!identity) return status::bad_argument;
    MgxResponse answer;
    ProcessState &state = process_state();
    state.extended_retry = 1;
    std::int32_t result = SendMgxRequest(make_request(netfn_application, get_device_id), &answer);
    state.extended_retry = 0;
    if (result != status::ok) return result;
    if (answer.completion_code != 0) return answer.completion_code;
    if (answer.length < 6) return status::answer_too_short;

    const std::uint8_t *data = answer.data;
    identity->device_id = data[0];
    if (data[1] != 0) identity->provides_revision = 1;
    identity->device_revision = data[1] & 0x0F;
    identity->firmware_revision_1 = data[2] & 0xEF;
    identity->firmware_revision_2 = data[3];
    identity->ipmi_version = data[4];
    std::int32_t *flags[8] = {
        &identity->chassis_device,       &identity->bridge,     &identity->event_generator,       &identity->event_receiver,
        &identity->fru_inventory_device, &identity->sel_device, &identity->sdr_repository_device, &identity->sensor_device};
    for (int bit = 7; bit >= 0; --bit)
        if (data[5] & (1 << bit)) *flags[7 - bit] = 1;
    std::memset(identity->manufacturer_and_product, 0, sizeof identity->manufacturer_and_product);
    if (answer.length == 11) std::memcpy(identity->manufacturer_and_product, data + 6, 5);
    return status::ok;
}

}  // namespace mgx::hal
