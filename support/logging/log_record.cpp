#include "log_record.h"

#include <cstdio>
#include <cstring>

namespace mgx::logging {

std::array<char, record_size> make_record(const SYSTEMTIME &time, const char *message) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02u/%02u/%02u-%02u:%02u:%02u", time.wYear % 100u, time.wMonth, time.wDay, time.wHour,
                  time.wMinute, time.wSecond);
    char text[text_size + 1];
    std::snprintf(text, sizeof text, "%-20s%-490.490s", stamp, message ? message : "");
    std::array<char, record_size> record;
    std::memcpy(record.data(), text, text_size);
    record[text_size] = '\r';
    record[text_size + 1] = '\n';
    return record;
}

}  // namespace mgx::logging
