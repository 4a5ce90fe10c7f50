#include "replaced_file.h"

#include <fstream>
#include <string>

namespace mgx::tool {

DWORD replace_file(const std::filesystem::path &path, std::string_view contents) {
    std::filesystem::path temporary = path;
    temporary += ".tmp-" + std::to_string(GetCurrentProcessId());
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return ERROR_CANNOT_MAKE;
        file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        if (!file.flush()) {
            file.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return ERROR_WRITE_FAULT;
        }
    }
    if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    const DWORD error = GetLastError();
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return error;
}

}  // namespace mgx::tool
