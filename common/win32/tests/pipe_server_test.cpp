// Pipe servers in this process, under names of their own, so nothing else is disturbed.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "win32/pipe_server.h"

namespace mgx::win32 {
namespace {

std::string private_pipe_name(const char *purpose) {
    return "\\\\.\\pipe\\mgx-test-" + std::to_string(GetCurrentProcessId()) + "-" + purpose;
}

// Like every client of these pipes: a busy pipe is waited for and tried again.
UniqueHandle connect_client(const std::string &name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        UniqueHandle pipe(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (pipe || GetLastError() != ERROR_PIPE_BUSY) return pipe;
        WaitNamedPipeA(name.c_str(), 1000);
    }
    return {};
}

std::string call(const std::string &name, const std::string &message) {
    UniqueHandle client = connect_client(name);
    DWORD mode = PIPE_READMODE_MESSAGE;
    std::string reply;
    if (!client || !SetNamedPipeHandleState(client.get(), &mode, nullptr, nullptr) ||
        !write_exactly(client.get(), message.data(), static_cast<DWORD>(message.size())) || !read_message(client.get(), reply))
        return "error " + std::to_string(GetLastError());
    return reply;
}

// Counts handlers that have begun, so a test can stop a server whose handlers are all under way.
class HandlerStarts {
public:
    void signal() { ReleaseSemaphore(semaphore_.get(), 1, nullptr); }
    bool await(int count) {
        for (int i = 0; i < count; ++i)
            if (WaitForSingleObject(semaphore_.get(), 5000) != WAIT_OBJECT_0) return false;
        return true;
    }

private:
    UniqueHandle semaphore_{CreateSemaphoreA(nullptr, 0, 100, nullptr)};
};

std::unique_ptr<PipeServer> echo_server(const std::string &name) {
    return serve_messages(name.c_str(), [](const std::string &message) { return "re: " + message; });
}

TEST(PipeServer, AnswersManyClientsArrivingAtOnce) {
    const std::string name = private_pipe_name("many");
    auto server = echo_server(name);
    std::vector<std::string> replies(24);
    std::vector<std::thread> clients;
    for (std::size_t i = 0; i < replies.size(); ++i) clients.emplace_back([&, i] { replies[i] = call(name, std::to_string(i)); });
    for (auto &client : clients) client.join();
    for (std::size_t i = 0; i < replies.size(); ++i) EXPECT_EQ(replies[i], "re: " + std::to_string(i));
}

TEST(PipeServer, StopBreaksOpenConnectionsAndLetsNoClientIn) {
    const std::string name = private_pipe_name("stop");
    std::atomic<int> handlers_returned = 0;
    HandlerStarts starts;
    PipeServer server(name, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE, [&](HANDLE pipe) {
        starts.signal();
        char byte;
        DWORD got;
        ReadFile(pipe, &byte, 1, &got, nullptr);  // the client never sends: only the stop ends this
        ++handlers_returned;
    });
    UniqueHandle first = connect_client(name), second = connect_client(name);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(starts.await(2));

    server.stop();
    EXPECT_EQ(handlers_returned, 2) << "stop returns after every handler";
    char byte;
    DWORD got = 0;
    EXPECT_FALSE(ReadFile(first.get(), &byte, 1, &got, nullptr)) << "the connection was broken";
    EXPECT_FALSE(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr) !=
                 INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << "no instance is left to connect to";
}

TEST(PipeServer, StopEndsAHandlerBlockedWritingToAClientThatDoesNotRead) {
    const std::string name = private_pipe_name("flood");
    std::atomic<bool> write_failed = false;
    HandlerStarts starts;
    PipeServer server(name, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE, [&](HANDLE pipe) {
        starts.signal();
        const std::string flood(4 * 1024 * 1024, 'x');  // far beyond the pipe's buffer
        write_failed = !write_exactly(pipe, flood.data(), static_cast<DWORD>(flood.size()));
    });
    UniqueHandle client = connect_client(name);
    ASSERT_TRUE(client);
    ASSERT_TRUE(starts.await(1));
    server.stop();
    EXPECT_TRUE(write_failed);
}

TEST(PipeServer, TheNameIsFreeForTheNextServerOnceStopped) {
    const std::string name = private_pipe_name("restart");
    auto first = echo_server(name);
    EXPECT_EQ(call(name, "one"), "re: one");
    first.reset();
    auto second = serve_messages(name.c_str(), [](const std::string &) { return std::string("second"); });
    EXPECT_EQ(call(name, "two"), "second");
}

TEST(PipeServer, StopIsSafeToRepeatAndTheDestructorAfterIt) {
    const std::string name = private_pipe_name("twice");
    auto server = echo_server(name);
    server->stop();
    server->stop();
    EXPECT_NE(call(name, "late"), "re: late");
}

TEST(PipeMessages, LongMessagesArriveWhole) {
    const std::string name = private_pipe_name("long");
    auto server = serve_messages(name.c_str(), [](const std::string &message) { return std::to_string(message.size()); });
    UniqueHandle client = connect_client(name);
    ASSERT_TRUE(client);
    DWORD mode = PIPE_READMODE_MESSAGE;
    ASSERT_TRUE(SetNamedPipeHandleState(client.get(), &mode, nullptr, nullptr));
    const std::string message(10000, 'm');  // read by the server in several parts
    ASSERT_TRUE(write_exactly(client.get(), message.data(), static_cast<DWORD>(message.size())));
    std::string reply;
    ASSERT_TRUE(read_message(client.get(), reply));
    EXPECT_EQ(reply, "10000");
}

}  // namespace
}  // namespace mgx::win32
