// Imbapi.dll's SendTimedImbpRequest over the IMB driver and the virtual server.
#include <gtest/gtest.h>

#include "device_client.h"
#include "imbapi.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::testbed::testing {
namespace {

struct Sent {
    int status;
    std::uint8_t completion_code = 0xEE;
    Bytes data;
};

Sent send(std::uint8_t netfn, std::uint8_t command, const Bytes &data = {}, int capacity = 32) {
    ImbRequest request{command, 0x22, 0, netfn, 0, data.empty() ? nullptr : data.data(), static_cast<std::int32_t>(data.size())};
    Sent sent;
    sent.data.resize(capacity > 0 ? capacity : 1);
    int length = capacity;
    sent.status = SendTimedImbpRequest(&request, 300, sent.data.data(), &length, &sent.completion_code);
    sent.data.resize(sent.status == ImbOk ? length : 0);
    return sent;
}

class ImbApiTest : public TestbedTest {
protected:
    void SetUp() override { use("intel"); }
};

TEST_F(ImbApiTest, DeviceIdAnswerComesBackWithoutItsCompletionCode) {
    Sent sent = send(0x06, 0x01);
    ASSERT_EQ(sent.status, ImbOk);
    EXPECT_EQ(sent.completion_code, 0);
    ASSERT_EQ(sent.data.size(), 15u);
    EXPECT_EQ(sent.data[0], 0x20);
    nlohmann::json entry = log().back();
    EXPECT_EQ(entry[control_key::device], "imb");
    EXPECT_EQ(entry[control_key::input], "2c 01 00 00 22 06 00 01 00 00") << "time-out 300, responder 0x22, netfn 6, command 1";
}

TEST_F(ImbApiTest, CompletionCodesAndDataReachTheCaller) {
    add_fault({{control_key::kind, "completion-code"},
               {control_key::netfn, 0x3A},
               {control_key::command, 0x30},
               {control_key::code, 0xC1},
               {control_key::count, 1}});
    Sent refused = send(0x3A, 0x30);
    EXPECT_EQ(refused.status, ImbOk);
    EXPECT_EQ(refused.completion_code, 0xC1);
    EXPECT_TRUE(refused.data.empty());
    Sent with_data = send(0x3A, 0x30, {0x01});
    EXPECT_EQ(with_data.completion_code, 0xC7);
    EXPECT_EQ(log().back()[control_key::input], "2c 01 00 00 22 3a 00 30 00 01 01");
}

TEST_F(ImbApiTest, FailuresAreReportedAsStatuses) {
    control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{control_key::silent, true}}}});
    EXPECT_EQ(send(0x06, 0x01).status, ImbRequestFailed);
    control_request(mgx::testbed::control::set_unit, {{control_key::unit, {{control_key::silent, false}}}});
    EXPECT_EQ(send(0x06, 0x01, {}, 14).status, ImbResponseTooLong);
    EXPECT_EQ(SendTimedImbpRequest(nullptr, 300, nullptr, nullptr, nullptr), ImbInvalidArgument);
    ImbRequest too_long{0x01, 0x22, 0, 0x06, 0, nullptr, 300};
    std::uint8_t buffer[32], code;
    int length = 32;
    EXPECT_EQ(SendTimedImbpRequest(&too_long, 300, buffer, &length, &code), ImbInvalidArgument);
    use("acer");
    EXPECT_EQ(send(0x06, 0x01).status, ImbRequestFailed) << "no IMB hardware on this machine";
}

}  // namespace
}  // namespace mgx::testbed::testing
