// One OMRALogging call on a full 600-record log against the bare file work a crash-safe rewrite
// needs: a read of the records it keeps, the whole file written beside the log and put in its
// place (target: at most 1.3 times the bare work).
//
//   logging_bench [iterations]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "omra_logging.h"
#include "win32/unique_handle.h"

namespace {

using mgx::win32::UniqueHandle;

}  // namespace

int main(int argc, char **argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 200;
    const std::filesystem::path log = std::filesystem::temp_directory_path() / "logging-bench.log";
    const std::string path = log.string(), beside = path + ".bench";
    std::filesystem::remove(log);
    for (std::size_t i = 0; i < mgx::logging::max_records; ++i) OMRALogging(path.c_str(), "filling the log to its bound");

    std::vector<char> buffer(mgx::logging::max_records * mgx::logging::record_size);
    const auto bare = [&] {
        DWORD done = 0;
        {
            UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file || !ReadFile(file.get(), buffer.data(), static_cast<DWORD>(mgx::logging::kept_bytes), &done, nullptr))
                return false;
        }
        {
            UniqueHandle file(
                CreateFileA(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file || !WriteFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &done, nullptr)) return false;
        }
        return MoveFileExA(beside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    };
    const auto logged = [&] { return OMRALogging(path.c_str(), "one more line for the bench") == 1; };

    double bare_time = 0, logged_time = 0;
    for (int round = 0; round < 5; ++round) {  // interleaved, so drift touches both alike
        bare_time += seconds_for(iterations / 5, bare);
        logged_time += seconds_for(iterations / 5, logged);
    }
    const double count = iterations / 5 * 5;
    std::printf("bare read of 306688, write of 307200 bytes, replace %8.1f us\n", bare_time / count * 1e6);
    std::printf("OMRALogging on a full log                       %8.1f us\n", logged_time / count * 1e6);
    std::printf("ratio logging / bare                            %8.2f (target <= 1.30)\n", logged_time / bare_time);
    std::filesystem::remove(log);
    return 0;
}
