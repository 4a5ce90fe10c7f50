// The setup program end to end: installed into a folder of the prefix with the programs beside
// it, run on the testbed as the product's setup would run it.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "control_client.h"
#include "programs.h"

namespace control_key = mgx::testbed::control::key;

namespace {

using mgx::testbed::control_request;
using mgx::testbed::testing::run_to_end;

const std::filesystem::path install = "C:\\mgx-setup-test";
const std::filesystem::path shortcut = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Uptiva.lnk";

std::string read_file(const std::filesystem::path &file) {
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

bool product_key_exists() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\GK7T30", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

DWORD notify(const char *name) {
    DWORD value = 0xDEAD, size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\NotifyMethod", name, RRF_RT_REG_DWORD, nullptr, &value,
                 &size);
    return value;
}

std::string app_path(const char *program) {
    char value[512] = {};
    DWORD size = sizeof value;
    const std::string key = std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + program;
    RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

// Every value under the key and its subkeys, as text, to compare two runs.
std::string snapshot(HKEY root, const std::string &path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    std::string text;
    char name[256];
    BYTE data[512];
    for (DWORD index = 0;; ++index) {
        DWORD name_size = sizeof name, data_size = sizeof data, type = 0;
        if (RegEnumValueA(key, index, name, &name_size, nullptr, &type, data, &data_size) != ERROR_SUCCESS) break;
        text +=
            path + "\\" + name + "=" + std::to_string(type) + ":" + std::string(reinterpret_cast<char *>(data), data_size) + "\n";
    }
    for (DWORD index = 0;; ++index) {
        DWORD name_size = sizeof name;
        if (RegEnumKeyExA(key, index, name, &name_size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        text += snapshot(root, path + "\\" + name);
    }
    RegCloseKey(key);
    return text;
}

struct LinkProperties {
    std::string path, arguments, description, directory, icon;
    int icon_index = -1, show = -1;
    WORD hot_key = 0xFFFF;
};

LinkProperties read_link(const std::filesystem::path &file) {
    LinkProperties link;
    CoInitialize(nullptr);
    IShellLinkA *shell_link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void **>(&shell_link)))) {
        IPersistFile *persist = nullptr;
        if (SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&persist)))) {
            if (SUCCEEDED(persist->Load(file.wstring().c_str(), STGM_READ))) {
                char text[MAX_PATH];
                shell_link->GetPath(text, MAX_PATH, nullptr, 0), link.path = text;
                shell_link->GetArguments(text, MAX_PATH), link.arguments = text;
                shell_link->GetDescription(text, MAX_PATH), link.description = text;
                shell_link->GetWorkingDirectory(text, MAX_PATH), link.directory = text;
                shell_link->GetIconLocation(text, MAX_PATH, &link.icon_index), link.icon = text;
                shell_link->GetShowCmd(&link.show);
                shell_link->GetHotkey(&link.hot_key);
            }
            persist->Release();
        }
        shell_link->Release();
    }
    CoUninitialize();
    return link;
}

class SetupProgram : public ::testing::Test {
protected:
    void SetUp() override {
        control_request(mgx::testbed::control::use_profile, {{control_key::profile, "acer"}});
        std::filesystem::remove_all(install);
        std::filesystem::create_directories(install);
        wchar_t own[MAX_PATH];
        GetModuleFileNameW(nullptr, own, MAX_PATH);
        const std::filesystem::path bin = std::filesystem::path(own).parent_path();
        for (const char *file : {"GK7T30U2.EXE", "GK7T30SV.EXE", "Halcore.dll", "Bmc.dll", "OMRAREG_CTL.dll", "OMRALogging.dll"})
            std::filesystem::copy_file(bin / file, install / file);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora");
        std::filesystem::remove(shortcut);
    }
    void TearDown() override {
        run_to_end("\"" + (install / "GK7T30SV.EXE").string() + "\" -remove");
        std::filesystem::remove(shortcut);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora");
        control_request(mgx::testbed::control::clear_faults);
    }
    int setup(const std::string &arguments) { return run_to_end("\"" + (install / "GK7T30U2.EXE").string() + "\" " + arguments); }
};

TEST_F(SetupProgram, InstallsRegistryServiceAndShortcutAndLogsEachStep) {
    ASSERT_EQ(setup("-f2" + (install / "logs" / "setup.log").string()), 0);
    const std::string log = read_file(install / "logs" / "setup.log");
    const std::regex lines(R"re(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d"\(GK7T30U2\)"\tGK7T30U2\.EXE start\.\r\n)re"
                           R"re(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d"\(GK7T30U2\)"\tGK7T30U2\.EXE complete\.\r\n)re");
    EXPECT_TRUE(std::regex_match(log, lines)) << log;
    EXPECT_TRUE(product_key_exists());
    EXPECT_EQ(notify("LCD"), 1u) << "this machine's panel has an LCD";
    EXPECT_EQ(notify("DSP"), 1u);
    EXPECT_EQ(app_path("GK7T30UI.EXE"), (install / "GK7T30UI.EXE").string());
    EXPECT_TRUE(std::filesystem::exists(shortcut));
    char reply[128];
    DWORD got = 0;
    EXPECT_TRUE(CallNamedPipeA("\\\\.\\pipe\\OMRA_PIPE", const_cast<char *>("02"), 3, reply, sizeof reply, &got, 5000))
        << "the monitoring service was installed and runs: error " << GetLastError();

    const LinkProperties link = read_link(shortcut);
    EXPECT_EQ(link.path, (install / "GK7T30UI.EXE").string());
    EXPECT_EQ(link.arguments, "");
    EXPECT_EQ(link.description, "Uptiva");
    EXPECT_EQ(link.directory, install.string() + "\\");
    EXPECT_EQ(link.icon, (install / "GK7T30UI.EXE").string());
    EXPECT_EQ(link.icon_index, 0);
    // The program asks for show command 6 (SW_MINIMIZE); the link format keeps only 1, 3 and 7,
    // and the platform stores any other value as 1.
    EXPECT_EQ(link.show, SW_SHOWNORMAL);
    EXPECT_EQ(link.hot_key, 0);

    const std::string first_link = read_file(shortcut);
    const std::string first_registry = snapshot(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora");
    ASSERT_EQ(setup(""), 0) << "a second run without a log";
    EXPECT_EQ(snapshot(HKEY_LOCAL_MACHINE, "SOFTWARE\\Velmora"), first_registry) << "the same registry";
    EXPECT_EQ(read_file(shortcut), first_link) << "the same single shortcut";
    EXPECT_EQ(std::count_if(std::filesystem::directory_iterator(shortcut.parent_path()), {},
                            [](const auto &entry) { return entry.path().extension() == ".lnk"; }),
              1);
}

// A silent unit ends the same way, after the library's retries have waited out (over a minute
// on this machine); a machine without SMBIOS takes this path at once.
TEST_F(SetupProgram, UnusableMachineLogsTheMgxErrorAndTouchesNothing) {
    control_request(mgx::testbed::control::use_profile, {{control_key::profile, "no-smbios"}});
    EXPECT_EQ(setup("-f2" + (install / "setup.log").string()), 3);
    const std::string log = read_file(install / "setup.log");
    EXPECT_NE(log.find("GK7T30U2.EXE start.\r\n"), std::string::npos);
    EXPECT_NE(log.find("MGX Error. MGX does not exist or invalid MGX type.\r\n"), std::string::npos);
    EXPECT_EQ(log.find("complete"), std::string::npos);
    EXPECT_FALSE(product_key_exists());
}

TEST_F(SetupProgram, ServiceProgramThatCannotStartIsLoggedAndGetsNoShortcutButCompletes) {
    std::filesystem::remove(install / "GK7T30SV.EXE");
    EXPECT_EQ(setup("-f2" + (install / "setup.log").string()), 3);
    const std::string log = read_file(install / "setup.log");
    // The start error skips the shortcut, not the closing line.
    std::vector<std::string> messages;
    for (std::size_t start = 0, tab; (tab = log.find('\t', start)) != std::string::npos; start = log.find('\n', tab) + 1)
        messages.push_back(log.substr(tab + 1, log.find('\n', tab) + 1 - tab - 1));
    EXPECT_EQ(messages, (std::vector<std::string>{"GK7T30U2.EXE start.\r\n", "Start Error. Can not start GK7T30SV.EXE.\r\n",
                                                  "GK7T30U2.EXE complete.\r\n"}))
        << log;
    EXPECT_TRUE(product_key_exists());
    EXPECT_FALSE(std::filesystem::exists(shortcut));
}

TEST_F(SetupProgram, LogDirectoryThatCannotBeMadeEndsWithItsErrorAfterTheRegistry) {
    const int code = setup("-f2" + (install / "bad<name>" / "setup.log").string());
    EXPECT_NE(code, 0);
    EXPECT_NE(code, 3);
    EXPECT_TRUE(product_key_exists()) << "the registry is still written";
    EXPECT_FALSE(std::filesystem::exists(shortcut)) << "no shortcut";
    DWORD reply_size = 0;
    char reply[8];
    EXPECT_FALSE(CallNamedPipeA("\\\\.\\pipe\\OMRA_PIPE", const_cast<char *>("02"), 3, reply, sizeof reply, &reply_size, 0))
        << "the service program was not run";
}

}  // namespace
