#include "server_log.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <mutex>

namespace mgx::testbed {

namespace {
std::mutex log_mutex;
std::ofstream log_stream;
}  // namespace

void open_server_log(const std::filesystem::path &file) {
    std::lock_guard lock(log_mutex);
    std::filesystem::create_directories(file.parent_path());
    log_stream.open(file, std::ios::app);
}

void server_log(const std::string &line) {
    std::lock_guard lock(log_mutex);
    if (!log_stream.is_open()) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond, now.wMilliseconds);
    log_stream << stamp << line << std::endl;
}

}  // namespace mgx::testbed
