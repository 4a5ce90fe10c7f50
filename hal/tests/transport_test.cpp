// The three request paths: attempts, waits, statuses and the bytes each sends.
#include <gtest/gtest.h>

#include <cstring>

#include <halcore/status_codes.h>

#include "hal_test.h"
#include "smbus_packet.h"
#include "transport.h"

namespace mgx::hal {
namespace {

using namespace testing;

const MgxRequest running_time = make_request(0x3A, 0x30);

class TransportTest : public HalTest {
protected:
    MgxResponse response{};
};

// --- IMB request library ------------------------------------------------------------------

struct ImbCall {
    ImbRequest record;
    Bytes data;
    std::uint32_t timeout;
    int capacity;
};
std::vector<ImbCall> imb_calls;
std::function<int(std::uint8_t *, int *, std::uint8_t *)> imb_reply;

int fake_send(const ImbRequest *request, std::uint32_t timeout, std::uint8_t *response, int *length, std::uint8_t *code) {
    imb_calls.push_back({*request, Bytes(request->data, request->data + request->data_length), timeout, *length});
    return imb_reply(response, length, code);
}

class ImbPathTest : public TransportTest {
protected:
    void SetUp() override {
        TransportTest::SetUp();
        imb_calls.clear();
        process_state().back_end_state = ImbUp;
        process_state().send_timed_imbp_request = fake_send;
    }
};

TEST_F(ImbPathTest, CompletionCodeOnEveryAttemptCostsFiveCallsAndFiveWaits) {
    imb_reply = [](std::uint8_t *, int *, std::uint8_t *code) {
        *code = 0xC1;
        return 0;
    };
    EXPECT_EQ(SendMgxRequest(running_time, &response), 0xC1);
    EXPECT_EQ(imb_calls.size(), 5u);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(5, 500));
}

TEST_F(ImbPathTest, RecordCarriesTheRequestAndTheAnswerFillsTheResponse) {
    imb_reply = [](std::uint8_t *answer, int *length, std::uint8_t *code) {
        const std::uint8_t hours[] = {1, 2, 3, 4};
        std::memcpy(answer, hours, 4);
        *length = 4;
        *code = 0;
        return 0;
    };
    const std::uint8_t data[] = {9, 8};
    ASSERT_EQ(SendMgxRequest(make_request(0x3A, 0x31, data, 2), &response), 0);
    ASSERT_EQ(imb_calls.size(), 1u);
    EXPECT_TRUE(waits.waits().empty());
    const ImbCall &call = imb_calls[0];
    EXPECT_EQ(call.record.command, 0x31);
    EXPECT_EQ(call.record.responder_address, 0x22);
    EXPECT_EQ(call.record.bus_type, 0);
    EXPECT_EQ(call.record.network_function, 0x3A);
    EXPECT_EQ(call.record.responder_lun, 0);
    EXPECT_EQ(call.data, (Bytes{9, 8}));
    EXPECT_EQ(call.timeout, 300u);
    EXPECT_EQ(call.capacity, 32);
    EXPECT_EQ(response.completion_code, 0);
    EXPECT_EQ(response.length, 4);
    EXPECT_EQ(Bytes(response.data, response.data + 4), (Bytes{1, 2, 3, 4}));
}

TEST_F(ImbPathTest, LengthIsNotResetBetweenAttemptsAndACallFailureIsReturned) {
    int attempt = 0;
    imb_reply = [&attempt](std::uint8_t *, int *length, std::uint8_t *) {
        *length = 3;
        return ++attempt < 5 ? 0x42 : 0x43;
    };
    EXPECT_EQ(SendMgxRequest(running_time, &response), 0x43);
    EXPECT_EQ(imb_calls[0].capacity, 32);
    EXPECT_EQ(imb_calls[1].capacity, 3);
}

TEST_F(ImbPathTest, UnboundLibraryFailsAtOnce) {
    process_state().send_timed_imbp_request = nullptr;
    EXPECT_EQ(SendMgxRequest(running_time, &response), status::transport_failure);
    EXPECT_TRUE(waits.waits().empty());
}

// --- bmc library ------------------------------------------------------------------------------

TEST_F(TransportTest, BmcRequestBytesAndOneByteAnswer) {
    FakeUnit unit([](const Bytes &) { return Bytes{0x00}; });
    const std::uint8_t data[] = {0x55, 0x66};
    ASSERT_EQ(SendMgxRequest(make_request(0x3A, 0x35, data, 2), &response), 0);
    EXPECT_EQ(unit.requests().at(0), (Bytes{0x22, 0x35, 0xE8, 2, 0x55, 0x66}));
    EXPECT_EQ(response.completion_code, 0);
    EXPECT_EQ(response.length, 0) << "completion code only";
}

TEST_F(TransportTest, BmcPathPassesCompletionCodesThroughAndFailsAfterFiveTries) {
    FakeUnit refusing([](const Bytes &) { return Bytes{0xC1}; });
    ASSERT_EQ(SendMgxRequest(running_time, &response), 0) << "the bmc path does not look at completion codes";
    EXPECT_EQ(response.completion_code, 0xC1);
    FakeUnit silent([](const Bytes &) { return std::nullopt; });
    EXPECT_EQ(SendMgxRequest(running_time, &response), status::transport_failure);
    EXPECT_EQ(silent.requests().size(), 5u);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(5, 500));
    FakeUnit empty([](const Bytes &) { return Bytes{}; });
    EXPECT_EQ(SendMgxRequest(running_time, &response), status::transport_failure) << "no completion code";
}

TEST_F(TransportTest, LongAnswersAreCutToTheRecord) {
    FakeUnit verbose([](const Bytes &) { return Bytes(40, 0x11); });
    ASSERT_EQ(SendMgxRequest(running_time, &response), 0);
    EXPECT_EQ(response.length, 27);
}

// --- device path --------------------------------------------------------------------------------

class DevicePathTest : public TransportTest {
protected:
    void SetUp() override {
        TransportTest::SetUp();
        process_state().back_end_state = SmbusUp;
        process_state().device = reinterpret_cast<HANDLE>(0x1234);
        std::strcpy(process_state().owner_name, "tools.exe");
    }

    // Answers reads with a framed running-time answer built from `message` (checksum added).
    static bool answer_with(const Bytes &input, Bytes &output, Bytes message, bool corrupt = false) {
        if (input[1] != 11) return true;  // writes succeed
        std::uint32_t sum = static_cast<std::uint32_t>(message.size() + 1);
        for (std::uint8_t byte : message) sum += byte;
        message.push_back(static_cast<std::uint8_t>(0x100 - (sum & 0xFF) + (corrupt ? 1 : 0)));
        output[3] = static_cast<std::uint8_t>(message.size());
        std::copy(message.begin(), message.end(), output.begin() + 4);
        return true;
    }
    static Bytes good_answer() { return {0x20, 0x00, 0x3B, 0x30, 0x00, 0x10, 0x27, 0x00, 0x00}; }
};

TEST_F(DevicePathTest, NoDeviceOpenEndsAtOnce) {
    process_state().device = nullptr;
    FakeDevice device([](DWORD, const Bytes &, Bytes &) { return true; });
    EXPECT_EQ(SendMgxRequest(running_time, &response), status::no_device);
    process_state().device = INVALID_HANDLE_VALUE;
    EXPECT_EQ(SendMgxRequest(running_time, &response), status::no_device);
    EXPECT_TRUE(device.calls().empty());
}

TEST_F(DevicePathTest, GoodExchangeSendsTheFourPacketsAndUnpacksTheAnswer) {
    FakeDevice device([](DWORD code, const Bytes &input, Bytes &output) {
        return code != ioctl_smbus_transfer || answer_with(input, output, good_answer());
    });
    ASSERT_EQ(SendMgxRequest(running_time, &response), 0);
    ASSERT_EQ(device.calls().size(), 4u);
    EXPECT_EQ(device.calls()[0].code, ioctl_smbus_lock);
    EXPECT_EQ(device.calls()[3].code, ioctl_smbus_unlock);
    const Bytes &write = device.calls()[1].input;
    ASSERT_EQ(write.size(), 77u);
    // target 17, write, 0xE0, c = 5, message 20 00 3a 30, checksum -(2*17 + 224 + 5 + 0x20 + 0x3a + 0x30)
    EXPECT_EQ(Bytes(write.begin(), write.begin() + 9), (Bytes{17, 10, 0xE0, 5, 0x20, 0x00, 0x3A, 0x30, 0x6F}));
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(&write[36])), "tools.exe");
    std::uint32_t lock_timeouts[2];
    std::memcpy(lock_timeouts, &device.calls()[0].input[68], 8);
    EXPECT_EQ(lock_timeouts[0], 10000u);
    EXPECT_EQ(lock_timeouts[1], 10000u);
    EXPECT_EQ(device.calls()[2].input[1], 11);
    EXPECT_EQ(device.calls()[2].input[2], 0xE2);
    EXPECT_EQ(response.completion_code, 0);
    EXPECT_EQ(response.length, 4);
    EXPECT_EQ(Bytes(response.data, response.data + 4), (Bytes{0x10, 0x27, 0, 0}));
    EXPECT_TRUE(waits.waits().empty());
}

TEST_F(DevicePathTest, RefusedLockGivesUpAfterTwoAttemptsForOtherPrograms) {
    FakeDevice device([](DWORD code, const Bytes &, Bytes &) { return code != ioctl_smbus_lock; });
    EXPECT_EQ(SendMgxRequest(running_time, &response), status::device_lock_failed);
    EXPECT_EQ(device.count(ioctl_smbus_lock), 2u);
    EXPECT_EQ(device.count(ioctl_smbus_unlock), 0u);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(1, 1000));
}

TEST_F(DevicePathTest, RefusedLockGivesUpAfterTenAttemptsForTheProductsPrograms) {
    std::strcpy(process_state().owner_name, "gk7t30ui.exe");
    FakeDevice device([](DWORD code, const Bytes &, Bytes &) { return code != ioctl_smbus_lock; });
    EXPECT_EQ(SendMgxRequest(running_time, &response), status::device_lock_failed);
    EXPECT_EQ(device.count(ioctl_smbus_lock), 10u);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(9, 1000));
}

TEST_F(DevicePathTest, ExtendedRetryRaisesTheAttemptsToTen) {
    process_state().extended_retry = 1;
    FakeDevice device([](DWORD code, const Bytes &, Bytes &) { return code != ioctl_smbus_lock; });
    EXPECT_EQ(SendMgxRequest(running_time, &response), status::device_lock_failed);
    EXPECT_EQ(device.count(ioctl_smbus_lock), 10u);
}

TEST_F(DevicePathTest, FailingWritesFailEachCycleThenTheRequest) {
    FakeDevice device([](DWORD code, const Bytes &input, Bytes &) { return code != ioctl_smbus_transfer || input[1] != 10; });
    EXPECT_EQ(SendMgxRequest(running_time, &response), status::send_receive_failed);
    EXPECT_EQ(device.count(ioctl_smbus_lock), 2u) << "two cycles";
    EXPECT_EQ(device.count(ioctl_smbus_transfer), 4u) << "two writes a cycle";
    EXPECT_EQ(device.count(ioctl_smbus_unlock), 2u);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(2, 1000)) << "one wait between the writes of each cycle";
}

TEST_F(DevicePathTest, FailingReadStartsAgainWithTheWrite) {
    int reads = 0;
    FakeDevice device([&reads](DWORD code, const Bytes &input, Bytes &output) {
        if (code != ioctl_smbus_transfer) return true;
        if (input[1] == 11 && ++reads == 1) return false;
        return answer_with(input, output, good_answer());
    });
    ASSERT_EQ(SendMgxRequest(running_time, &response), 0);
    EXPECT_EQ(device.count(ioctl_smbus_transfer), 4u) << "write, failed read, write, read";
    EXPECT_EQ(device.count(ioctl_smbus_lock), 1u);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(1, 1000));
}

TEST_F(DevicePathTest, FailingUnlockIsTriedNTimesAndOtherwiseIgnored) {
    FakeDevice device([](DWORD code, const Bytes &input, Bytes &output) {
        if (code == ioctl_smbus_unlock) return false;
        return code != ioctl_smbus_transfer || answer_with(input, output, good_answer());
    });
    EXPECT_EQ(SendMgxRequest(running_time, &response), 0);
    EXPECT_EQ(device.count(ioctl_smbus_unlock), 2u);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(1, 1000));
}

TEST_F(DevicePathTest, AnswerChecksumHeaderAndLengthAreChecked) {
    struct Case {
        Bytes message;
        bool corrupt;
        std::int32_t expected;
    };
    const Case cases[] = {
        {good_answer(), true, status::answer_checksum_wrong},
        {{0x20, 0x00, 0x3C, 0x30, 0x00, 1, 2, 3, 4}, false, status::transport_failure},  // netfn not request + 1
        {{0x20, 0x00, 0x3B, 0x31, 0x00, 1, 2, 3, 4}, false, status::transport_failure},  // other command
        {{0x21, 0x00, 0x3B, 0x30, 0x00, 1, 2, 3, 4}, false, status::transport_failure},
        {{0x20, 0x00, 0x3B, 0x30}, false, status::transport_failure},  // c below 6
        {{0x20, 0x00, 0x3B, 0x30, 0xC1}, false, 0},                    // completion code only
    };
    for (const Case &test : cases) {
        FakeDevice device([&test](DWORD code, const Bytes &input, Bytes &output) {
            return code != ioctl_smbus_transfer || answer_with(input, output, test.message, test.corrupt);
        });
        EXPECT_EQ(SendMgxRequest(running_time, &response), test.expected);
    }
    EXPECT_EQ(response.completion_code, 0xC1);
    EXPECT_EQ(response.length, 0);
}

TEST_F(DevicePathTest, AnswerLengthBeyondThePacketIsRefusedWithoutReadingPastIt) {
    FakeDevice device([](DWORD code, const Bytes &input, Bytes &output) {
        if (code == ioctl_smbus_transfer && input[1] == 11) output[3] = 0xFF;
        return true;
    });
    EXPECT_EQ(SendMgxRequest(running_time, &response), status::answer_checksum_wrong);
}

TEST(SmbPackets, WriteChecksumCoversTargetCommandLengthAndMessage) {
    const std::uint8_t data[27] = {1, 2, 3};
    SmbRequestPackets packets = build_smb_packets(make_request(0x06, 0x01, data, 27), 0x11, "x");
    EXPECT_EQ(packets.write.length, 32);
    std::uint32_t sum = 2 * 0x11 + 0xE0 + 32;
    for (int i = 0; i < 32; ++i) sum += packets.write.message[i];
    EXPECT_EQ(sum & 0xFF, 0u);
    EXPECT_EQ(packets.unlock.timeout_a, 0u);
    EXPECT_EQ(packets.unlock.timeout_b, 0u);
    EXPECT_EQ(packets.write.timeout_a, 0u);
    EXPECT_EQ(packets.write.timeout_b, 10000u);
}

}  // namespace
}  // namespace mgx::hal
