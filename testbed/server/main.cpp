// vserver.exe: the testbed's virtual server.
//
//   vserver service            run as the "MgxTestbed" service (the service manager starts it so)
//   vserver console            run in the foreground until Ctrl+C
//   vserver install [--no-drivers]   register and start the server service and the driver services
//   vserver uninstall          stop and remove them
//   vserver drivers install|remove   only the driver services
//   vserver encode-sdr SOURCE.json OUT.sdr   a repository dump from its readable description
//   vserver encode-fru SOURCE.json OUT.fru   a FRU image likewise
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "inventory_encoder.h"
#include "pipe_listeners.h"
#include "server_log.h"
#include "testbed_services.h"
#include "virtual_server.h"
#include "win32/service_runner.h"

using namespace mgx::testbed;

namespace {

std::filesystem::path executable_path() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::wstring(path, length));
}

std::filesystem::path data_directory() {
    wchar_t path[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, path))) return executable_path().parent_path();
    return std::filesystem::path(path) / L"MgxTestbed";
}

// The server itself is never destroyed: it lives as long as the process, its listeners do not.
PipeListeners start_server() {
    open_server_log(data_directory() / "server.log");
    static SystemClock clock;
    static VirtualServer &server =
        *new VirtualServer(executable_path().parent_path() / "profiles", StateStore(data_directory() / "state.json"), clock);
    PipeListeners listeners = start_pipe_listeners(server);
    server_log("server started");
    return listeners;
}

int usage() {
    std::fputs(
        "usage: vserver service | console | install [--no-drivers] | uninstall | drivers install|remove\n"
        "       vserver encode-sdr|encode-fru SOURCE.json OUT\n",
        stderr);
    return 2;
}

int encode(const std::string &kind, const std::filesystem::path &source, const std::filesystem::path &out) {
    std::ifstream input(source);
    if (!input) throw std::runtime_error("cannot open " + source.string());
    const nlohmann::json description = nlohmann::json::parse(input);
    const Bytes bytes = kind == "encode-sdr" ? encode_repository(description) : encode_fru_image(description);
    std::ofstream output(out, std::ios::binary);
    output.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!output) throw std::runtime_error("cannot write " + out.string());
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const std::string option = argc > 2 ? argv[2] : "";
    try {
        if (mode == "service") {
            // The stop is reported only once no client can reach the server any more, so a
            // client never finds the pipes of a server that is going away.
            std::optional<PipeListeners> listeners;
            return mgx::win32::run_as_service(
                server_service_name,
                [&listeners] {
                    try {
                        listeners = start_server();
                    } catch (const std::exception &error) {
                        server_log(std::string("start failed: ") + error.what());
                        throw;
                    }
                },
                [&listeners] {
                    listeners.reset();
                    server_log("server stopped");
                });
        }
        if (mode == "console") {
            const PipeListeners listeners = start_server();
            std::puts("virtual server running; Ctrl+C ends it");
            Sleep(INFINITE);
        }
        if (mode == "install") {
            install_server_service("\"" + executable_path().string() + "\" service");
            if (option != "--no-drivers") install_driver_services();
            return 0;
        }
        if (mode == "uninstall") {
            remove_driver_services();
            remove_server_service();
            return 0;
        }
        if ((mode == "encode-sdr" || mode == "encode-fru") && argc == 4) return encode(mode, argv[2], argv[3]);
        if (mode == "drivers" && option == "install") return install_driver_services(), 0;
        if (mode == "drivers" && option == "remove") return remove_driver_services(), 0;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "vserver: %s\n", error.what());
        return 1;
    }
    return usage();
}
