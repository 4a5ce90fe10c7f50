#include "install_log.h"

#include <windows.h>

#include <cstdio>

namespace mgx::setup {

void InstallLog::line(const std::string &message) const {
    if (!path_) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::FILE *file = std::fopen(path_->c_str(), "a");  // text mode: the line feed becomes CR LF
    if (!file) return;
    std::fprintf(file, "%04u/%02u/%02u %02u:%02u:%02u\"(GK7T30U2)\"\t%s", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                 now.wSecond, message.c_str());
    std::fclose(file);
}

}  // namespace mgx::setup
