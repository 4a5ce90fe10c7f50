// The SMBus back end's start on the acer machine, whose cost is mostly the repository walk:
//   - one start against the same device requests replayed bare (target <= 1.1), and
//   - the start's cost for repositories of 50, 200 and 800 records, to show it grows linearly.
//
//   repository_walk_bench [starts]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <halcore/halcore.h>

#include "bench_timing.h"
#include "control_client.h"
#include "text/hex.h"
#include "win32/unique_handle.h"

namespace control_key = mgx::testbed::control::key;

namespace {

using mgx::testbed::control_request;
using nlohmann::json;

struct LoggedRequest {
    DWORD code;
    std::vector<std::uint8_t> input;
    DWORD output_capacity;
};

bool start_and_stop() {
    std::int32_t type = -1;
    const bool started = HCXInitImbSmbDll(&type) == 0 && type == 2;
    HCXFreeImbSmbDll();
    return started;
}

// The device requests of one start, as the exchange log saw them.
std::vector<LoggedRequest> requests_of_one_start() {
    control_request(mgx::testbed::control::clear_log);
    if (!start_and_stop()) throw std::runtime_error("the SMBus back end did not start");
    const json entries = control_request(mgx::testbed::control::log)[control_key::entries];
    std::vector<LoggedRequest> requests;
    for (const json &entry : entries)
        requests.push_back({static_cast<DWORD>(std::stoul(entry[control_key::code].get<std::string>(), nullptr, 16)),
                            *mgx::text::from_hex(entry[control_key::input].get<std::string>()),
                            entry[control_key::output_capacity].get<DWORD>()});
    return requests;
}

// A repository of `count` records: the acer machine's, repeated under new record IDs.
std::string repository_of(const std::vector<std::uint8_t> &acer, std::size_t count) {
    std::vector<std::vector<std::uint8_t>> records;
    for (std::size_t at = 0; at < acer.size(); at += 5 + acer[at + 4])
        records.emplace_back(acer.begin() + at, acer.begin() + at + 5 + acer[at + 4]);
    std::vector<std::uint8_t> dump;
    for (std::size_t i = 0; i < count; ++i) {
        std::vector<std::uint8_t> record = records[i % records.size()];
        record[0] = static_cast<std::uint8_t>(i + 1);
        record[1] = static_cast<std::uint8_t>((i + 1) >> 8);
        dump.insert(dump.end(), record.begin(), record.end());
    }
    return mgx::text::to_hex(dump);
}

std::vector<std::uint8_t> shipped_repository() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::ifstream stream(std::filesystem::path(path).parent_path() / "profiles" / "acer.sdr", std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char **argv) {
    const int starts = argc > 1 ? std::atoi(argv[1]) : 10;
    try {
        control_request(mgx::testbed::control::use_profile, {{control_key::profile, "acer"}});
        const std::vector<LoggedRequest> requests = requests_of_one_start();
        mgx::win32::UniqueHandle device(
            CreateFileA("\\\\.\\SMBUS2", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        const auto bare = [&] {
            std::vector<std::uint8_t> output(512);
            for (const LoggedRequest &request : requests) {
                DWORD returned;
                std::vector<std::uint8_t> input = request.input;
                if (!DeviceIoControl(device.get(), request.code, input.data(), static_cast<DWORD>(input.size()), output.data(),
                                     request.output_capacity, &returned, nullptr))
                    return false;
            }
            return true;
        };
        double bare_time = 0, start_time = 0;
        for (int round = 0; round < starts; ++round) {  // interleaved, so drift touches both alike
            bare_time += seconds_for(1, bare);
            start_time += seconds_for(1, start_and_stop);
        }
        std::printf("acer: %zu device requests of one start, sent bare      %8.1f ms\n", requests.size(),
                    bare_time / starts * 1e3);
        std::printf("acer: HCXInitImbSmbDll and HCXFreeImbSmbDll             %8.1f ms\n", start_time / starts * 1e3);
        std::printf("acer: ratio start / bare requests                      %8.2f (target <= 1.10)\n", start_time / bare_time);

        const std::vector<std::uint8_t> acer_dump = shipped_repository();
        double per_record_at_50 = 0;
        for (std::size_t count : {50u, 200u, 800u}) {
            control_request(mgx::testbed::control::set_sdr, {{control_key::dump, repository_of(acer_dump, count)}});
            const double seconds = seconds_for(1, start_and_stop);
            if (count == 50) per_record_at_50 = seconds / count;
            std::printf("acer: start with %3zu records  %8.1f ms  (%6.3f ms a record, %.2f times the cost a record at 50)\n",
                        count, seconds * 1e3, seconds / count * 1e3, seconds / count / per_record_at_50);
        }
        control_request(mgx::testbed::control::reset);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
