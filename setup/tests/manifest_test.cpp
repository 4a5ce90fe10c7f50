// What each built program asks of Windows, read from its embedded manifest as the loader reads
// it, and what each program and library of the package says of itself in its version resource.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "product_version.h"

#include "programs.h"
#include "win32/unique_handle.h"

namespace {

std::string manifest_of(const std::string &program) {
    const mgx::win32::UniqueModule image(LoadLibraryExW(mgx::testbed::testing::beside_this_program(program).c_str(), nullptr,
                                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!image) return {};
    HRSRC found = FindResourceW(image.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (!found) return {};
    const char *text = static_cast<const char *>(LockResource(LoadResource(image.get(), found)));
    return text ? std::string(text, SizeofResource(image.get(), found)) : std::string();
}

TEST(ProgramManifests, EachProgramSaysItsLevelItsWindowsVersionsAndItsDpiAwareness) {
    const struct {
        const char *program, *level;
    } programs[] = {{"GK7T30UI.EXE", "requireAdministrator"},
                    {"GK7T30U2.EXE", "requireAdministrator"},
                    {"mgxtool.exe", "asInvoker"},
                    {"GK7T30MS.EXE", "asInvoker"}};
    for (const auto &expected : programs) {
        SCOPED_TRACE(expected.program);
        const std::string manifest = manifest_of(expected.program);
        ASSERT_FALSE(manifest.empty()) << "no manifest";
        EXPECT_NE(manifest.find(std::string("requestedExecutionLevel level=\"") + expected.level + "\""), std::string::npos);
        for (const char *windows : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
            EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + windows + "\"/>"), std::string::npos) << windows;
        EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    }
}

std::wstring version_string(const std::vector<char> &info, const wchar_t *name) {
    void *value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || !value) return {};
    return static_cast<const wchar_t *>(value);
}

TEST(VersionResources, EachFileOfThePackageNamesTheProductItsVersionAndItself) {
    for (const wchar_t *file : {L"GK7T30UI.EXE", L"GK7T30U2.EXE", L"GK7T30MS.EXE", L"mgxtool.exe", L"Halcore.dll", L"Bmc.dll",
                                L"OMRAREG_CTL.dll", L"OMRALogging.dll", L"UptivaInstall.dll"}) {
        SCOPED_TRACE(std::string(file, file + wcslen(file)));
        const std::wstring path = mgx::testbed::testing::beside_this_program(file).wstring();
        std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), nullptr));
        ASSERT_FALSE(info.empty()) << "no version resource";
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        VS_FIXEDFILEINFO *fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void **>(&fixed), &length));
        EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), MGX_VERSION_MAJOR);
        EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), MGX_VERSION_MINOR);
        EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), MGX_VERSION_LEVEL);
        EXPECT_EQ(version_string(info, L"FileVersion"), L"" MGX_FILE_VERSION_TEXT) << "dotted, as the fixed version";
        EXPECT_EQ(version_string(info, L"ProductName"), L"Uptiva");
        EXPECT_EQ(version_string(info, L"CompanyName"), L"Velmora");
        EXPECT_EQ(version_string(info, L"OriginalFilename"), file);
        EXPECT_FALSE(version_string(info, L"FileDescription").empty());
    }
}

}  // namespace
