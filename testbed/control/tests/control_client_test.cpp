// The control exchange against pipe servers of this process, under names of their own.
#include <gtest/gtest.h>

#include <string>

#include "control_client.h"
#include "win32/pipe_server.h"

namespace mgx::testbed {
namespace {

std::string private_pipe_name(const char *purpose) {
    return "\\\\.\\pipe\\mgx-control-test-" + std::to_string(GetCurrentProcessId()) + "-" + purpose;
}

std::string error_of(const std::string &pipe, unsigned long timeout_ms) {
    try {
        exchange_message(pipe.c_str(), "{}", timeout_ms);
        return "no error";
    } catch (const ControlError &error) {
        return error.what();
    }
}

TEST(ControlExchange, AServerThatTakesTheRequestButNeverAnswersIsGivenUp) {
    const std::string name = private_pipe_name("silent");
    win32::PipeServer silent(name, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, [](HANDLE pipe) {
        std::string request;
        while (win32::read_message(pipe, request)) {
        }
    });
    EXPECT_EQ(error_of(name, 50), "the virtual server did not answer in time");
}

TEST(ControlExchange, RepliesLongerThanOneReadArriveWhole) {
    const std::string name = private_pipe_name("long");
    const std::string long_reply(40000, 'r');
    auto server = win32::serve_messages(name.c_str(), [&](const std::string &) { return long_reply; });
    EXPECT_EQ(exchange_message(name.c_str(), "{}", 5000), long_reply);
}

TEST(ControlExchange, AMissingServerIsReportedAsNotRunning) {
    EXPECT_EQ(error_of(private_pipe_name("absent"), 50), "the virtual server is not running (control pipe: error 2)");
}

TEST(ControlExchange, AServerThatHangsUpIsReportedWithItsError) {
    const std::string name = private_pipe_name("rude");
    win32::PipeServer rude(name, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, [](HANDLE) {});
    EXPECT_EQ(error_of(name, 5000).rfind("the virtual server did not", 0), 0u);
}

}  // namespace
}  // namespace mgx::testbed
