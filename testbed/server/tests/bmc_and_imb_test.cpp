#include <gtest/gtest.h>

#include <cstring>

#include "bmc_controller.h"
#include "device_protocol.h"
#include "driver_packets.h"
#include "imb_controller.h"

namespace mgx::testbed {
namespace {

using testing::bmc_message;

const Bytes device_id = {0x20, 0x81, 0x01, 0x10, 0x51, 0x3f, 0x7b, 0x1b, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00};

class DriverRequestTest : public ::testing::Test {
protected:
    DeviceReply bmc(std::uint32_t code, const Bytes &input, std::uint32_t capacity = 256) {
        UnitPort port(state, profile, faults, 0);
        return handle_bmc_request(code, input, capacity, port, memory);
    }
    DeviceReply imb(const Bytes &input, std::uint32_t capacity = 257) {
        UnitPort port(state, profile, faults, 0);
        return handle_imb_request(MGXTB_IOCTL_IMB_SEND_MESSAGE, input, capacity, port);
    }

    UnitProfile profile{device_id, 77, false};
    UnitState state = UnitState::initial(profile, 0);
    FaultPlan faults;
    PhysicalMemory memory;
};

TEST_F(DriverRequestTest, BmcMessageAnswersCompletionCodeThenData) {
    DeviceReply reply = bmc(MGXTB_IOCTL_BMC_IPMI, bmc_message(5000000, 0x3A, 0x30, {}));
    ASSERT_EQ(reply.status, nt::success);
    EXPECT_EQ(reply.output, (Bytes{0x00, 77, 0, 0, 0}));
    EXPECT_NE(reply.note.find("time-out 5000000"), std::string::npos);
    ASSERT_TRUE(reply.request.has_value());
    EXPECT_EQ(reply.request->network_function, 0x3A);
}

TEST_F(DriverRequestTest, BmcMessageWhoseLengthByteDisagreesWithItsSizeIsRejected) {
    Bytes input = bmc_message(10, 0x06, 0x01, {});
    input.push_back(0);
    EXPECT_EQ(bmc(MGXTB_IOCTL_BMC_IPMI, input).status, nt::invalid_parameter);
    EXPECT_EQ(bmc(MGXTB_IOCTL_BMC_IPMI, Bytes(7, 0)).status, nt::invalid_parameter);
}

TEST_F(DriverRequestTest, AnswerLargerThanTheOutputBufferFails) {
    EXPECT_EQ(bmc(MGXTB_IOCTL_BMC_IPMI, bmc_message(10, 0x06, 0x01, {}), 15).status, nt::buffer_too_small);
    EXPECT_EQ(bmc(MGXTB_IOCTL_BMC_IPMI, bmc_message(10, 0x06, 0x01, {}), 16).output.size(), 16u);
}

TEST_F(DriverRequestTest, SilentUnitTimesOutAndAFailedRequestFailsOnBothLibraryPaths) {
    state.silent = true;
    EXPECT_EQ(bmc(MGXTB_IOCTL_BMC_IPMI, bmc_message(10, 0x06, 0x01, {})).status, nt::io_timeout);
    state.silent = false;
    faults.add({FaultKind::FailWrite, std::nullopt, std::nullopt, std::nullopt, 2, 0});
    EXPECT_EQ(bmc(MGXTB_IOCTL_BMC_IPMI, bmc_message(10, 0x06, 0x01, {})).status, nt::io_device_error);
    MgxtbImbMessage header{300, 0x22, 0x06, 0, 0x01, 0, 0};
    Bytes input(sizeof header);
    std::memcpy(input.data(), &header, sizeof header);
    EXPECT_EQ(imb(input).status, nt::io_device_error);
    EXPECT_EQ(imb(input).status, nt::success);
}

TEST_F(DriverRequestTest, MapReturnsTheRequestedPhysicalRange) {
    memory.place(0xF0010, {'_', 'S', 'M', '_'});
    MgxtbPhysicalMemoryRequest request{0, 0, 0xF0000, 0, 0xFFF0};
    Bytes input(sizeof request);
    std::memcpy(input.data(), &request, sizeof request);
    DeviceReply reply = bmc(MGXTB_IOCTL_BMC_MAP_MEMORY, input, 0xFFF0);
    ASSERT_EQ(reply.status, nt::success);
    ASSERT_EQ(reply.output.size(), 0xFFF0u);
    EXPECT_EQ(std::memcmp(&reply.output[0x10], "_SM_", 4), 0);
    EXPECT_EQ(reply.output[0], 0);

    request.length = 0;
    std::memcpy(input.data(), &request, sizeof request);
    EXPECT_EQ(bmc(MGXTB_IOCTL_BMC_MAP_MEMORY, input, 0).status, nt::invalid_parameter);
    request = {0, 0, 0xFFFFFFF0ULL, 0, 0x20};
    std::memcpy(input.data(), &request, sizeof request);
    EXPECT_EQ(bmc(MGXTB_IOCTL_BMC_MAP_MEMORY, input, 0x20).status, nt::invalid_parameter) << "past 4 GiB";
    EXPECT_EQ(bmc(MGXTB_IOCTL_BMC_UNMAP_MEMORY, Bytes(4, 0)).status, nt::success);
    EXPECT_EQ(bmc(MGXTB_IOCTL_BMC_UNMAP_MEMORY, Bytes(8, 0)).status, nt::invalid_parameter);
}

TEST_F(DriverRequestTest, ImbMessageCarriesItsDataAndRejectsALengthMismatch) {
    MgxtbImbMessage header{300, 0x22, 0x3A, 0, 0x30, 0, 1};
    Bytes input(sizeof header);
    std::memcpy(input.data(), &header, sizeof header);
    EXPECT_EQ(imb(input).status, nt::invalid_parameter) << "announces a data byte it does not carry";
    input.push_back(0x55);
    DeviceReply reply = imb(input);
    EXPECT_EQ(reply.status, nt::success);
    EXPECT_EQ(reply.request->data, Bytes{0x55});
    EXPECT_EQ(reply.output, Bytes{0xC7}) << "the running-time command takes no data";
}

TEST_F(DriverRequestTest, UnknownRequestCodesAreRefused) {
    EXPECT_EQ(bmc(0x80002008, {}).status, nt::invalid_device_request);
    UnitPort port(state, profile, faults, 0);
    EXPECT_EQ(handle_imb_request(0x80112008, {}, 0, port).status, nt::invalid_device_request);
}

}  // namespace
}  // namespace mgx::testbed
