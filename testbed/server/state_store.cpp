#include "state_store.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "bounded_json.h"
#include "win32/unique_handle.h"

namespace mgx::testbed {

namespace {

std::string windows_error(const char *what, const std::filesystem::path &path) {
    return std::string(what) + " " + path.string() + " (error " + std::to_string(GetLastError()) + ")";
}

std::string local_time_stamp() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                  now.wSecond);
    return stamp;
}

}  // namespace

std::optional<nlohmann::json> StateStore::load() const {
    std::ifstream stream(file_, std::ios::binary);
    if (!stream) return std::nullopt;
    std::ostringstream content;
    content << stream.rdbuf();
    const std::string text = content.str();
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) throw UnusableState("the file is empty");
    try {
        nlohmann::json state = parse_bounded_json(text);
        if (!state.is_object()) throw UnusableState("the file holds JSON but not an object");
        return state;
    } catch (const nlohmann::json::parse_error &error) {
        throw UnusableState(std::string("the file is not valid JSON: ") + error.what());
    } catch (const JsonTooDeep &error) {
        throw UnusableState(error.what());
    }
}

void StateStore::save(const nlohmann::json &state) const {
    std::filesystem::create_directories(file_.parent_path());
    const std::filesystem::path temporary = file_.string() + ".new";
    const std::string text = state.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    {
        win32::UniqueHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) throw std::runtime_error(windows_error("cannot create", temporary));
        DWORD written = 0;
        if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) || written != text.size() ||
            !FlushFileBuffers(file.get()))
            throw std::runtime_error(windows_error("cannot write", temporary));
    }
    if (!MoveFileExW(temporary.c_str(), file_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw std::runtime_error(windows_error("cannot replace", file_));
}

std::filesystem::path StateStore::set_aside() const {
    const std::string stem = file_.string() + ".unusable-" + local_time_stamp();
    std::filesystem::path target = stem;
    for (int number = 2; std::filesystem::exists(target); ++number) target = stem + "-" + std::to_string(number);
    if (!MoveFileExW(file_.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
        throw std::runtime_error(windows_error("cannot move aside", file_));
    return target;
}

}  // namespace mgx::testbed
