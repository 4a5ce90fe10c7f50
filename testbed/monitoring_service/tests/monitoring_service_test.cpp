// The monitoring-service stand-in as its callers meet it: installed, talked to over its two
// pipes, and removed again.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "programs.h"

namespace {

using mgx::testbed::testing::run_to_end;

std::filesystem::path beside_this_test(const char *file) {
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    return std::filesystem::path(own).parent_path() / file;
}

std::filesystem::path service_log() { return std::filesystem::path("C:\\ProgramData\\MgxTestbed\\GK7T30SV.log"); }

std::string call(const char *pipe, const std::string &message, DWORD &error) {
    char reply[128] = {};
    DWORD got = 0;
    error = 0;
    if (!CallNamedPipeA(pipe, const_cast<char *>(message.data()), static_cast<DWORD>(message.size()), reply, sizeof reply, &got,
                        NMPWAIT_WAIT_FOREVER)) {
        error = GetLastError();
        return {};
    }
    return std::string(reply, got);
}

std::string run(const char *argument) { return "\"" + beside_this_test("GK7T30SV.EXE").string() + "\" " + argument; }

TEST(MonitoringService, InstalledItAnswersBothPipesAndRecordsWhatItReceived) {
    ASSERT_EQ(run_to_end(run("-remove")), 0) << "removing what is not there is fine";
    std::filesystem::remove(service_log());
    ASSERT_EQ(run_to_end(run("-install")), 0);

    std::string initialise(128, '\0');
    initialise.replace(0, 2, "02");
    DWORD error = 0;
    EXPECT_EQ(call("\\\\.\\pipe\\OMRA_PIPE", initialise, error), "OK");
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(call("\\\\.\\pipe\\OMRAPartsChange", std::string("10000000000000000001") + '\0', error), "OK");

    std::ifstream log(service_log(), std::ios::binary);
    std::ostringstream contents;
    contents << log.rdbuf();
    const std::string bytes = contents.str();
    ASSERT_EQ(bytes.size(), 1024u) << "two records";
    const std::string newest = "OMRAPartsChange 21 bytes: 10000000000000000001 ", oldest = "OMRA_PIPE 128 bytes: 02 ";
    EXPECT_EQ(bytes.substr(20, newest.size()), newest) << "newest first";
    EXPECT_EQ(bytes.substr(512 + 20, oldest.size()), oldest);

    ASSERT_EQ(run_to_end(run("-remove")), 0);
    call("\\\\.\\pipe\\OMRA_PIPE", initialise, error);
    for (int i = 0; i < 100 && error != ERROR_FILE_NOT_FOUND; ++i) {  // the stopped process may take a moment to go
        Sleep(100);
        call("\\\\.\\pipe\\OMRA_PIPE", initialise, error);
    }
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << "no pipe once removed";
}

}  // namespace
