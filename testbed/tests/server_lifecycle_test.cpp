// The virtual server as a process: restarts, absence, driver starts, and what a broken client
// sends down its pipes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "device_client.h"
#include "device_protocol.h"
#include "nt_status.h"
#include "win32/pipe_server.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::testbed::testing {
namespace {

constexpr const char *server_service = "MgxTestbed";

Bytes running_time_message() {
    MgxtbImbMessage header{300, 0x22, 0x3A, 0, 0x30, 0, 0};
    Bytes input(sizeof header);
    std::memcpy(input.data(), &header, sizeof header);
    return input;
}

class ServerLifecycleTest : public TestbedTest {
protected:
    void SetUp() override { use("intel"); }
    void TearDown() override {
        if (!server_reachable()) start_service(server_service);
        TestbedTest::TearDown();
    }
};

TEST_F(ServerLifecycleTest, UnitStateSurvivesAServerRestartAndTheDriverReconnects) {
    control_request(mgx::testbed::control::set_unit,
                    {{control_key::unit, {{control_key::running_hours, 31337}, {control_key::running_hours_fixed, true}}}});
    // A loaded repository (one temperature sensor, 0x20/0x09) and a reading set on it stay too.
    control_request(mgx::testbed::control::set_sdr,
                    {{control_key::dump,
                      "07 00 51 01 2a 20 00 09 00 00 00 00 01 01 00 00 00 00 00 00 00 01 00 00 01 00 00 00 00 00 00 14"
                      " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"}});
    control_request(mgx::testbed::control::set_sensor,
                    {{control_key::sensor, {{control_key::owner, 0x20}, {control_key::number, 0x09}, {control_key::raw, 77}}}});
    auto device = open_device("\\\\.\\imbdrv");
    ASSERT_TRUE(device);
    ASSERT_TRUE(ioctl(device.get(), MGXTB_IOCTL_IMB_SEND_MESSAGE, running_time_message(), 16).ok);

    ASSERT_TRUE(stop_service(server_service));
    ASSERT_FALSE(server_reachable()) << "a stopped server has closed its pipes before it reports the stop";
    IoctlResult absent = ioctl(device.get(), MGXTB_IOCTL_IMB_SEND_MESSAGE, running_time_message(), 16);
    EXPECT_FALSE(absent.ok);
    EXPECT_EQ(absent.error, win32_error_of(static_cast<std::int32_t>(0xC000009D))) << "device not connected";
    EXPECT_THROW(control_request(mgx::testbed::control::status), ControlError);

    ASSERT_TRUE(start_service(server_service));
    IoctlResult again = ioctl(device.get(), MGXTB_IOCTL_IMB_SEND_MESSAGE, running_time_message(), 16);
    ASSERT_TRUE(again.ok) << "error " << again.error;
    EXPECT_EQ(again.output, (Bytes{0x00, 0x69, 0x7A, 0x00, 0x00}));
    const nlohmann::json platform = control_request(mgx::testbed::control::status)[control_key::platform];
    EXPECT_EQ(platform[control_key::repository_records], 1);
    EXPECT_EQ(platform[control_key::sensors_set], 1);
}

// The server as a service: a remembered state spoiled while it was stopped is kept aside, and
// its log and its status say what was wrong and where the file is now.
TEST_F(ServerLifecycleTest, SpoiledStateIsKeptAsideAndReportedAfterARestart) {
    use("acer");
    const std::filesystem::path state_file =
        control_request(mgx::testbed::control::status)[control_key::state_file].get<std::string>();
    const std::filesystem::path server_log = state_file.parent_path() / "server.log";
    ASSERT_TRUE(stop_service(server_service));
    std::ofstream(state_file, std::ios::trunc) << R"({"profile": "acer", "unit": {"running_hou)";
    ASSERT_TRUE(start_service(server_service));

    const nlohmann::json status = control_request(mgx::testbed::control::status);
    EXPECT_EQ(status[control_key::profile][control_key::name], "intel");
    const nlohmann::json &unusable = status[control_key::unusable_state];
    ASSERT_TRUE(unusable.is_object());
    const std::filesystem::path kept = unusable[control_key::kept_as].get<std::string>();
    EXPECT_TRUE(std::filesystem::exists(kept));
    EXPECT_TRUE(std::filesystem::exists(state_file)) << "the fresh state beside the kept one";
    std::string log;
    std::getline(std::ifstream(server_log), log, '\0');
    EXPECT_NE(log.find("is not usable: the file is not valid JSON"), std::string::npos);
    EXPECT_NE(log.find(kept.string()), std::string::npos);
    std::filesystem::remove(kept);
}

TEST_F(ServerLifecycleTest, DriverStartFailsAsOftenAsInjectedThenWorks) {
    ASSERT_TRUE(stop_service("SMBUS2"));
    add_fault({{control_key::kind, "driver-start-failure"}, {control_key::device, "smbus"}, {control_key::count, 2}});
    EXPECT_FALSE(start_service("SMBUS2"));
    EXPECT_FALSE(open_device("\\\\.\\SMBUS2"));
    EXPECT_FALSE(start_service("SMBUS2"));
    ASSERT_TRUE(start_service("SMBUS2"));
    EXPECT_TRUE(open_device("\\\\.\\SMBUS2"));
}

// Raw access to the device pipe, as a broken driver would use it.
class DevicePipe {
public:
    DevicePipe() {
        for (int attempt = 0; attempt < 2 && !pipe_; ++attempt) {
            pipe_.reset(CreateFileA(MGXTB_DEVICE_PIPE, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            if (!pipe_ && GetLastError() == ERROR_PIPE_BUSY) WaitNamedPipeA(MGXTB_DEVICE_PIPE, 5000);
        }
    }
    bool connected() const { return pipe_.valid(); }
    bool write(const void *bytes, DWORD length) {
        DWORD put;
        return WriteFile(pipe_.get(), bytes, length, &put, nullptr) && put == length;
    }
    bool read_reply(MgxtbReplyHeader &reply) {
        DWORD got;
        return ReadFile(pipe_.get(), &reply, sizeof reply, &got, nullptr) && got == sizeof reply;
    }
    void close() { pipe_.reset(); }

private:
    win32::UniqueHandle pipe_;
};

TEST_F(ServerLifecycleTest, MalformedFramesAreAnsweredAndDroppedWhileTheServerGoesOn) {
    {
        DevicePipe pipe;
        ASSERT_TRUE(pipe.connected());
        MgxtbRequestHeader garbage{0x12345678, 1, 2, 3, 4, 5};
        ASSERT_TRUE(pipe.write(&garbage, sizeof garbage));
        MgxtbReplyHeader reply;
        ASSERT_TRUE(pipe.read_reply(reply));
        EXPECT_EQ(reply.status, nt::invalid_parameter);
        EXPECT_EQ(reply.output_length, 0u);
        EXPECT_FALSE(pipe.read_reply(reply)) << "the connection is dropped";
    }
    {
        DevicePipe pipe;
        MgxtbRequestHeader oversized{MGXTB_FRAME_MAGIC, MgxtbDeviceImb, MGXTB_IOCTL_IMB_SEND_MESSAGE, 1, MGXTB_MAX_INPUT + 1, 4};
        ASSERT_TRUE(pipe.write(&oversized, sizeof oversized));
        MgxtbReplyHeader reply;
        ASSERT_TRUE(pipe.read_reply(reply));
        EXPECT_EQ(reply.status, nt::invalid_parameter);
    }
    {
        DevicePipe pipe;  // a client that goes away in the middle of a frame
        MgxtbRequestHeader header{MGXTB_FRAME_MAGIC, MgxtbDeviceImb, MGXTB_IOCTL_IMB_SEND_MESSAGE, 1, 10, 16};
        ASSERT_TRUE(pipe.write(&header, 12));
        pipe.close();
    }
    {
        DevicePipe pipe;  // and one that sends the header but not all of its input
        MgxtbRequestHeader header{MGXTB_FRAME_MAGIC, MgxtbDeviceImb, MGXTB_IOCTL_IMB_SEND_MESSAGE, 1, 10, 16};
        ASSERT_TRUE(pipe.write(&header, sizeof header));
        ASSERT_TRUE(pipe.write("abc", 3));
        pipe.close();
    }
    auto device = open_device("\\\\.\\imbdrv");
    EXPECT_TRUE(ioctl(device.get(), MGXTB_IOCTL_IMB_SEND_MESSAGE, running_time_message(), 16).ok);
    EXPECT_EQ(control_request(mgx::testbed::control::status)[control_key::profile][control_key::name], "intel");
}

// A pipe whose every instance is taken (its listeners between two clients) is waited for, as any
// pipe client waits; the request is sent once it is free. The stand-in here has one instance.
TEST_F(ServerLifecycleTest, TheDriverWaitsForAFreeInstanceOfTheServersPipe) {
    auto device = open_device("\\\\.\\imbdrv");
    ASSERT_TRUE(device);
    ASSERT_TRUE(stop_service(server_service));
    win32::UniqueHandle instance(CreateNamedPipeA(MGXTB_DEVICE_PIPE, PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                                  PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(instance);
    DevicePipe taken;
    ASSERT_TRUE(taken.connected());

    IoctlResult result;
    std::thread request([&] { result = ioctl(device.get(), MGXTB_IOCTL_IMB_SEND_MESSAGE, running_time_message(), 16); });
    Sleep(1000);  // the scene, not the outcome: the driver finds the only instance taken
    taken.close();
    std::atomic<bool> read = false;
    std::thread server([&] {
        DisconnectNamedPipe(instance.get());
        if (!ConnectNamedPipe(instance.get(), nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return;
        MgxtbRequestHeader header{};
        Bytes input(10);
        if (!win32::read_exactly(instance.get(), &header, sizeof header) || header.input_length != input.size() ||
            !win32::read_exactly(instance.get(), input.data(), 10))
            return;
        read = true;
        const MgxtbReplyHeader reply{MGXTB_FRAME_MAGIC, 0, 2};
        const std::uint8_t output[2] = {0x00, 0x42};
        win32::write_exactly(instance.get(), &reply, sizeof reply) && win32::write_exactly(instance.get(), output, 2);
    });
    request.join();
    if (!read) DevicePipe().close();  // a driver that gave up leaves the listener waiting: end it
    server.join();
    DisconnectNamedPipe(instance.get());
    instance.reset();
    ASSERT_TRUE(read) << "the request reached the freed instance";
    EXPECT_TRUE(result.ok) << "error " << result.error;
    EXPECT_EQ(result.output, (Bytes{0x00, 0x42}));
}

TEST_F(ServerLifecycleTest, ControlPipeRefusesWhatIsNotJson) {
    char reply[256] = {};
    DWORD got = 0;
    ASSERT_TRUE(CallNamedPipeA(MGXTB_CONTROL_PIPE, const_cast<char *>("{oops"), 5, reply, sizeof reply - 1, &got, 5000));
    nlohmann::json answer = nlohmann::json::parse(std::string(reply, got));
    EXPECT_FALSE(answer[control_key::ok]);
}

// Requests the server will not take are answered with the reason, logged, and the server goes on.
TEST_F(ServerLifecycleTest, ControlRequestsTooLongOrTooDeepAreAnsweredWithTheReason) {
    const std::filesystem::path server_log =
        std::filesystem::path(control_request(mgx::testbed::control::status)[control_key::state_file].get<std::string>())
            .parent_path() /
        "server.log";
    const struct {
        std::string request;
        const char *reason;
    } refused[] = {
        {std::string(30000, '[') + std::string(30000, ']'), "nested more than 64 levels"},
        {std::string(win32::message_limit + 1, ' '), "is longer than the limit of 16777216 bytes"},
    };
    for (const auto &[request, reason] : refused) {
        SCOPED_TRACE(reason);
        const nlohmann::json answer = nlohmann::json::parse(exchange_message(MGXTB_CONTROL_PIPE, request, 30000));
        EXPECT_FALSE(answer[control_key::ok]);
        EXPECT_NE(answer.value(control_key::error, "").find(reason), std::string::npos) << answer.dump();
    }
    std::string log;
    std::getline(std::ifstream(server_log), log, '\0');
    EXPECT_NE(log.find("a control request of 16777217 bytes is longer than the limit"), std::string::npos);
    EXPECT_EQ(control_request(mgx::testbed::control::status)[control_key::profile][control_key::name], "intel");
}

}  // namespace
}  // namespace mgx::testbed::testing
