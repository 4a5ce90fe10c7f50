// HCXGetCompleteSELInfo: the load from the current directory at record ID 0, the statuses, and
// the entry point's own result.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "hal_test.h"

namespace mgx::hal {
namespace {

using namespace testing;

std::filesystem::path beside_this_test(const char *file) {
    wchar_t own[MAX_PATH];
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    return std::filesystem::path(own).parent_path() / file;
}

// A folder holding the given library as sfs.dll, made the current directory while it lives.
class CurrentFolder {
public:
    explicit CurrentFolder(const char *library) {
        folder_ = std::filesystem::temp_directory_path() / ("sel-" + std::to_string(GetCurrentProcessId()) + "-" + library);
        std::filesystem::create_directories(folder_);
        if (*library)
            std::filesystem::copy_file(beside_this_test(library), folder_ / "sfs.dll",
                                       std::filesystem::copy_options::overwrite_existing);
        wchar_t previous[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, previous);
        previous_ = previous;
        SetCurrentDirectoryW(folder_.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryW(previous_.c_str()); }

private:
    std::filesystem::path folder_;
    std::wstring previous_;
};

struct SelRequest {
    std::uint16_t record_id;
    std::uint16_t next;
};

class EventLog : public HalTest {};

TEST_F(EventLog, NothingIsLoadedBeforeARecordIdZero) {
    CurrentFolder folder("sfs_stub.dll");
    SelRequest request{5, 0};
    EXPECT_EQ(HCXGetCompleteSELInfo(&request, nullptr), status::sfs_load_failed);
    EXPECT_EQ(HCXGetCompleteSELInfo(nullptr, nullptr), status::bad_argument) << "a NULL request is refused, not read";
}

// An sfs.dll on the system search path alone is not taken.
TEST_F(EventLog, OnlyTheCurrentDirectoryCounts) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const std::filesystem::path on_search_path = std::filesystem::path(system) / "sfs.dll";
    std::filesystem::copy_file(beside_this_test("sfs_stub.dll"), on_search_path,
                               std::filesystem::copy_options::overwrite_existing);
    CurrentFolder empty("");
    SelRequest request{0, 0};
    EXPECT_EQ(HCXGetCompleteSELInfo(&request, nullptr), status::sfs_load_failed);
    std::filesystem::remove(on_search_path);
}

// A current directory longer than the 256 bytes read of it cannot be read: 20, nothing loaded.
TEST_F(EventLog, ACurrentDirectoryTooLongToReadIs20) {
    const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("sel-long-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::path folder = base;
    while (folder.string().size() < 257) folder /= std::string(std::min<std::size_t>(40, 257 - folder.string().size()), 'd');
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(beside_this_test("sfs_stub.dll"), folder / "sfs.dll",
                               std::filesystem::copy_options::overwrite_existing);
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str())) << folder.string().size();
    SelRequest request{0, 0};
    const std::int32_t result = HCXGetCompleteSELInfo(&request, nullptr);
    SetCurrentDirectoryW(previous);
    std::filesystem::remove_all(base);
    EXPECT_EQ(result, status::program_name_failed);
}

TEST_F(EventLog, TheEntryPointGetsBothArgumentsAndItsResultComesBack) {
    CurrentFolder folder("sfs_stub.dll");
    SelRequest request{0, 0};
    EXPECT_EQ(HCXGetCompleteSELInfo(&request, reinterpret_cast<void *>(3)), 3);
    EXPECT_EQ(request.next, 1) << "the request record reached the library";
    request.record_id = 7;
    EXPECT_EQ(HCXGetCompleteSELInfo(&request, reinterpret_cast<void *>(2)), 72) << "loaded: other record IDs go straight on";
}

TEST_F(EventLog, ALibraryWithoutTheEntryPointIs27) {
    CurrentFolder folder("sfs_without_entry.dll");
    SelRequest request{0, 0};
    EXPECT_EQ(HCXGetCompleteSELInfo(&request, nullptr), status::entry_point_missing);
}

}  // namespace
}  // namespace mgx::hal
