#include "install_steps.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "resource.h"
#include "win32/unique_handle.h"

namespace mgx::setup {

DWORD create_directory_chain(const std::string &path) {
    const std::size_t first = path.find('\\');
    for (std::size_t at = path.find('\\', first == std::string::npos ? 0 : first + 1); at != std::string::npos;
         at = path.find('\\', at + 1)) {
        const std::string directory = path.substr(0, at + 1);
        if (!CreateDirectoryA(directory.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return GetLastError();
    }
    return ERROR_SUCCESS;
}

namespace {

// The product's name for the shortcut, from the setup program's string table.
std::string product_name(HMODULE setup_program, bool japanese) {
    char name[128] = "Uptiva";
    if (japanese) LoadStringA(setup_program, IDS_PRODUCT_NAME_JAPANESE, name, sizeof name);
    return name;
}

std::string common_start_menu() {
    char path[MAX_PATH] = {};
    LPITEMIDLIST folder = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_STARTMENU, &folder))) {
        SHGetPathFromIDListA(folder, path);
        CoTaskMemFree(folder);
    }
    return path;
}

}  // namespace

std::string start_menu_shortcut(HMODULE setup_program, bool japanese) {
    return common_start_menu() + "\\" + product_name(setup_program, japanese) + ".lnk";
}

void create_start_menu_shortcut(const std::string &program_directory, bool japanese) {
    const std::string name = product_name(GetModuleHandleA(nullptr), japanese);
    const std::string link = start_menu_shortcut(GetModuleHandleA(nullptr), japanese);
    const std::string target = program_directory + "GK7T30UI.EXE";
    if (FAILED(CoInitialize(nullptr))) return;
    IShellLinkA *shell_link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void **>(&shell_link)))) {
        shell_link->SetPath(target.c_str());
        shell_link->SetArguments("");
        shell_link->SetDescription(name.c_str());
        shell_link->SetHotkey(0);
        shell_link->SetIconLocation(target.c_str(), 0);
        shell_link->SetWorkingDirectory(program_directory.c_str());
        shell_link->SetShowCmd(SW_MINIMIZE);
        IPersistFile *file = nullptr;
        if (SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
            wchar_t wide[MAX_PATH] = {};
            MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
            wide[MAX_PATH - 1] = L'\0';
            file->Save(wide, TRUE);
            file->Release();
        }
        shell_link->Release();
    }
    CoUninitialize();
}

}  // namespace mgx::setup
