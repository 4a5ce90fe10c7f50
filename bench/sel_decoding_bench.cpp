// mgxtool sel --json on a full event log (65,534 records: acer's threshold, discrete,
// sensor-specific and OEM records over and over) against the same reads undecoded (--raw) in the
// same run; decoding may add at most 5 % (the better of two runs of each).
//
//   sel_decoding_bench [PROFILE_FOLDER]   the virtual server's profiles (default where the scripts
//                                         install the testbed)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include <nlohmann/json.hpp>

#include "control_client.h"
#include "win32/process_launcher.h"
#include "win32/program_directory.h"
#include "win32/unique_handle.h"

namespace control_key = mgx::testbed::control::key;

namespace {

namespace control = mgx::testbed::control;
using mgx::testbed::control_request;

constexpr std::size_t full_log = 0xFFFE;

// acer with its event log repeated to the full length, as the profile "sel-full".
std::filesystem::path write_full_profile(const std::filesystem::path &folder) {
    std::ifstream acer(folder / "acer.json");
    nlohmann::json profile = nlohmann::json::parse(acer);
    const nlohmann::json records = profile["unit"]["event_log"];
    nlohmann::json log = nlohmann::json::array();
    while (log.size() < full_log) log.push_back(records[log.size() % records.size()]);
    profile["name"] = "sel-full";
    profile["unit"]["event_log"] = log;
    const std::filesystem::path file = folder / "sel-full.json";
    std::ofstream(file) << profile.dump();
    return file;
}

// Milliseconds of one `mgxtool --json sel EXTRA...`, its output thrown away.
double run_sel(std::initializer_list<const wchar_t *> extra) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const mgx::win32::UniqueHandle nul(
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr));
    mgx::win32::CommandLine command(mgx::win32::program_directory_wide() + L"mgxtool.exe");
    command.argument(L"--json").argument(L"sel");
    for (const wchar_t *argument : extra) command.argument(argument);
    mgx::win32::LaunchOptions options;
    options.output = nul.get();
    const auto started = std::chrono::steady_clock::now();
    const auto exit_code = mgx::win32::run_and_wait(command, options);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    if (exit_code != 0u) {
        std::fprintf(stderr, "bench: mgxtool sel failed\n");
        std::exit(1);
    }
    return ms;
}

}  // namespace

int main(int argc, char **argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : "C:\\mgxtestbed\\profiles";
    const std::filesystem::path profile = write_full_profile(folder);
    control_request(control::use_profile, {{control_key::profile, "sel-full"}});
    double raw = 1e300, decoded = 1e300;
    for (int round = 0; round < 2; ++round) {
        raw = std::min(raw, run_sel({L"--raw", L"--fresh"}));
        decoded = std::min(decoded, run_sel({L"--fresh"}));
    }
    control_request(control::use_profile, {{control_key::profile, "acer"}});
    std::filesystem::remove(profile);
    const double ratio = decoded / raw;
    std::printf("undecoded (--raw)  %zu records  %9.1f ms\n", full_log, raw);
    std::printf("decoded            %zu records  %9.1f ms\n", full_log, decoded);
    std::printf("decoded / undecoded  %.3f (target <= 1.05)\n", ratio);
    return ratio <= 1.05 ? 0 : 1;
}
