// The logging library on the real file system, alone and with several writers at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "omra_logging.h"
#include "programs.h"
#include "win32/unique_handle.h"

namespace {

using mgx::logging::record_size;

std::string read_file(const std::filesystem::path &file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

std::vector<std::string> records_of(const std::string &bytes) {
    std::vector<std::string> records;
    for (std::size_t at = 0; at + record_size <= bytes.size(); at += record_size)
        records.push_back(bytes.substr(at, record_size));
    return records;
}

// The message of a record: what follows the time stamp, trailing spaces removed.
std::string message_of(const std::string &record) {
    std::string message = record.substr(20, 490);
    return message.substr(0, message.find_last_not_of(' ') + 1);
}

bool well_formed(const std::string &record) {
    static const std::regex stamp(R"(\d\d/\d\d/\d\d-\d\d:\d\d:\d\d   )");
    return record.size() == record_size && std::regex_match(record.substr(0, 20), stamp) && record.substr(510) == "\r\n";
}

class LoggingTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("logging-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        log = folder / "service.log";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    int write(const std::string &message) { return OMRALogging(log.string().c_str(), message.c_str()); }

    std::filesystem::path folder, log;
};

TEST_F(LoggingTest, FirstLineCreatesAFileOfOneRecord) {
    ASSERT_EQ(write("service started"), 1);
    const std::string bytes = read_file(log);
    ASSERT_EQ(bytes.size(), record_size);
    EXPECT_TRUE(well_formed(bytes)) << bytes;
    EXPECT_EQ(message_of(bytes), "service started");
    EXPECT_FALSE(std::filesystem::exists(log.string() + ".new")) << "the replacement took the log's place";
}

TEST_F(LoggingTest, NewestRecordComesFirstAndTheFileHoldsSixHundred) {
    for (int number = 1; number <= 601; ++number) ASSERT_EQ(write("line " + std::to_string(number)), 1);
    const std::vector<std::string> records = records_of(read_file(log));
    ASSERT_EQ(records.size(), 600u);
    EXPECT_EQ(std::filesystem::file_size(log), 307200u);
    EXPECT_EQ(message_of(records.front()), "line 601");
    EXPECT_EQ(message_of(records.back()), "line 2") << "the oldest was dropped";
}

TEST_F(LoggingTest, MessagesFillCutOrPadTheirField) {
    write(std::string(500, 'b'));
    write(std::string(490, 'a'));
    write("");
    const std::vector<std::string> records = records_of(read_file(log));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].substr(17, 493), std::string(493, ' ')) << "an empty message: spaces after the time stamp";
    EXPECT_EQ(records[1].substr(20, 490), std::string(490, 'a'));
    EXPECT_EQ(records[2].substr(20, 490), std::string(490, 'b')) << "cut after 490 characters";
    for (const std::string &record : records) EXPECT_TRUE(well_formed(record));
}

TEST_F(LoggingTest, PartialTailIsDropped) {
    std::ofstream(log, std::ios::binary) << std::string(1000, 'x');
    ASSERT_EQ(write("after"), 1);
    const std::string bytes = read_file(log);
    ASSERT_EQ(bytes.size(), 1024u);
    EXPECT_EQ(bytes.substr(512), std::string(512, 'x'));
}

TEST_F(LoggingTest, PathThatCannotBeOpenedWritesNothing) {
    const std::filesystem::path nowhere = folder / "missing" / "service.log";
    EXPECT_EQ(OMRALogging(nowhere.string().c_str(), "lost"), 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
    EXPECT_EQ(OMRALogging(nullptr, "lost"), 0);
}

TEST_F(LoggingTest, LogOpenedByAnotherProgramIsLeftAlone) {
    write("kept");
    mgx::win32::UniqueHandle holder(
        CreateFileA(log.string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(write("refused"), 0);
    holder.reset();
    EXPECT_EQ(message_of(records_of(read_file(log)).at(0)), "kept");
}

// Another process holding the machine-wide mutex (a writer in another logon session) keeps a
// writer waiting until it lets go; then the line is written.
TEST_F(LoggingTest, WriterWaitsWhileAnotherSessionHoldsTheMachineWideMutex) {
    mgx::win32::UniqueHandle other_session(CreateMutexW(nullptr, FALSE, L"Global\\OMRA00RMLogging"));
    ASSERT_TRUE(other_session);
    ASSERT_EQ(WaitForSingleObject(other_session.get(), 0), WAIT_OBJECT_0) << "held here, as another session would";
    const std::filesystem::path writer = mgx::testbed::testing::beside_this_program("log_writer.exe");
    mgx::testbed::testing::RunningProgram waiting(L"\"" + writer.wstring() + L"\" \"" + log.wstring() + L"\" held 1");
    // Long enough for the writer to reach the mutex on a busy machine; it must not write meanwhile.
    Sleep(3000);
    EXPECT_FALSE(std::filesystem::exists(log)) << "written while the mutex was held";
    ReleaseMutex(other_session.get());
    EXPECT_EQ(waiting.finish().exit_code, 0);
    EXPECT_EQ(message_of(records_of(read_file(log)).at(0)), "held 1");
}

// A mutex of the name that another account (LocalService) created before this process logged
// is not waited on: the line is refused at once, saying why, and nothing is written.
class LoggingFreshProcess : public LoggingTest {};
TEST_F(LoggingFreshProcess, AMutexPlantedByAnotherAccountIsRefusedWithoutWaiting) {
    PSECURITY_DESCRIPTOR planted_by_local_service = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:LSD:(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                     &planted_by_local_service, nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, planted_by_local_service, FALSE};
    mgx::win32::UniqueHandle planted(CreateMutexW(&attributes, TRUE, L"Global\\OMRA00RMLogging"));
    LocalFree(planted_by_local_service);
    ASSERT_TRUE(planted);
    const std::filesystem::path writer = mgx::testbed::testing::beside_this_program("log_writer.exe");
    mgx::testbed::testing::RunningProgram refused(L"\"" + writer.wstring() + L"\" \"" + log.wstring() + L"\" planted 1");
    EXPECT_NE(refused.finish().exit_code, 0) << "ended while the planted mutex is still held";
    EXPECT_EQ(write("planted"), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_OWNER));
    EXPECT_FALSE(std::filesystem::exists(log));
}

// Several processes at once: every record whole, each writer's lines newest first.
TEST_F(LoggingTest, WritersInSeveralProcessesNeverTearOrLoseRecords) {
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    const std::filesystem::path writer = std::filesystem::path(own).parent_path() / "log_writer.exe";
    constexpr int writers = 4, lines = 200;
    std::vector<PROCESS_INFORMATION> processes;
    for (int tag = 0; tag < writers; ++tag) {
        std::wstring command = L"\"" + writer.wstring() + L"\" \"" + log.wstring() + L"\" writer" + std::to_wstring(tag) + L" " +
                               std::to_wstring(lines);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        processes.push_back(process);
    }
    for (PROCESS_INFORMATION &process : processes) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    const std::vector<std::string> records = records_of(read_file(log));
    ASSERT_EQ(records.size(), 600u) << "min(800 written, 600)";
    std::map<std::string, int> last_number;
    const std::regex line(R"((writer\d) (\d+))");
    for (const std::string &record : records) {
        ASSERT_TRUE(well_formed(record));
        std::smatch parts;
        const std::string message = message_of(record);
        ASSERT_TRUE(std::regex_match(message, parts, line)) << message;
        const int number = std::stoi(parts[2]);
        auto previous = last_number.find(parts[1]);
        if (previous != last_number.end()) {
            EXPECT_LT(number, previous->second) << "newest first, each line once";
        }
        last_number[parts[1]] = number;
    }
    EXPECT_EQ(last_number.size(), static_cast<std::size_t>(writers));
}

// Threads of one process share its one opened mutex and buffer: they take turns, and every
// line of every thread is there, whole.
TEST_F(LoggingTest, ThreadsOfOneProcessTakeTurns) {
    constexpr int threads = 4, lines = 100;
    std::vector<std::thread> writers;
    std::vector<int> refused(threads, 0);
    for (int tag = 0; tag < threads; ++tag)
        writers.emplace_back([&, tag] {
            for (int number = 0; number < lines; ++number)
                refused[tag] += write("thread" + std::to_string(tag) + " " + std::to_string(number)) != 1;
        });
    for (std::thread &writer : writers) writer.join();
    EXPECT_EQ(refused, std::vector<int>(threads, 0));
    const std::vector<std::string> records = records_of(read_file(log));
    ASSERT_EQ(records.size(), 400u);
    std::map<std::string, int> count;
    for (const std::string &record : records) {
        ASSERT_TRUE(well_formed(record));
        ++count[message_of(record).substr(0, 7)];
    }
    EXPECT_EQ(count, (std::map<std::string, int>{{"thread0", 100}, {"thread1", 100}, {"thread2", 100}, {"thread3", 100}}));
}

}  // namespace
