// GK7T30SV.EXE: a stand-in for the product's monitoring service, enough for the programs of the
// system that talk to it. It installs and removes itself as the service "GK7T30SV", answers
// "\\.\pipe\OMRA_PIPE" and "\\.\pipe\OMRAPartsChange" with one short reply per message, and
// records every message it received in a log of its own (through the logging library), so tests
// can see what reached the service. It monitors nothing.
//
//   GK7T30SV -install    register and start the service (exit code 0)
//   GK7T30SV -remove     stop and delete it (exit code 0, also when it was not installed)
//   GK7T30SV -service    run as the service (the service manager starts it so)
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "omra_logging.h"
#include "testbed_services.h"
#include "win32/pipe_server.h"
#include "win32/service_runner.h"

namespace {

constexpr const char *service_name = "GK7T30SV";
constexpr const char *reply = "OK";  // one reply per message, well within the callers' 128 bytes

std::string executable_path() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::string log_path() {
    char folder[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder))) return "GK7T30SV.log";
    const std::filesystem::path directory = std::filesystem::path(folder) / "MgxTestbed";
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    return (directory / "GK7T30SV.log").string();
}

// "OMRA_PIPE 128 bytes: 02": the pipe, the message's size and its text up to the first NUL.
std::string describe(const char *pipe, const std::string &message) {
    const std::string text(message.c_str(), strnlen(message.c_str(), message.size()));
    return std::string(pipe) + " " + std::to_string(message.size()) + " bytes: " + text;
}

std::unique_ptr<mgx::win32::PipeServer> serve(const char *pipe, const char *short_name, const std::string &log) {
    return mgx::win32::serve_messages(pipe, [short_name, log](const std::string &message) {
        OMRALogging(log.c_str(), describe(short_name, message).c_str());
        return std::string(reply);
    });
}

}  // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "-install") {
            mgx::testbed::install_service(service_name, SERVICE_WIN32_OWN_PROCESS, "\"" + executable_path() + "\" -service");
            return 0;
        }
        if (mode == "-remove") {
            mgx::testbed::remove_service(service_name);
            return 0;
        }
        if (mode == "-service") {
            std::unique_ptr<mgx::win32::PipeServer> pipes[2];
            return mgx::win32::run_as_service(
                service_name,
                [&pipes] {
                    const std::string log = log_path();
                    pipes[0] = serve("\\\\.\\pipe\\OMRA_PIPE", "OMRA_PIPE", log);
                    pipes[1] = serve("\\\\.\\pipe\\OMRAPartsChange", "OMRAPartsChange", log);
                },
                [&pipes] {
                    for (auto &pipe : pipes) pipe.reset();
                });
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "GK7T30SV: %s\n", error.what());
        return 1;
    }
    std::fputs("usage: GK7T30SV -install | -remove | -service\n", stderr);
    return 2;
}
