// The product's registry subtree under HKEY_LOCAL_MACHINE, shared by the settings program, the
// setup program and the monitoring service: its keys and value names.
#pragma once

namespace mgx::store {

inline constexpr const char *root_key = "SOFTWARE\\Velmora\\GK7T30";
inline constexpr const char *limit_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\Limit";
inline constexpr const char *current_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\Current";
inline constexpr const char *setup_date_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\SetupDate";
inline constexpr const char *notify_done_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\NotifyDone";
inline constexpr const char *notify_method_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\NotifyMethod";
inline constexpr const char *display_item_key = "SOFTWARE\\Velmora\\GK7T30\\LifeTime\\CurrentDisplayItem";
inline constexpr const char *app_paths_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// The programs registered under App Paths.
inline constexpr const char *registered_programs[] = {"GK7T30UI.EXE", "GK7T30SV.EXE", "GK7T30MS.EXE"};

// The settings program's single-instance guard: held machine-wide as "Global\Gk7t30UI_EXE", and
// in the session under its bare name, while the program runs.
inline constexpr const wchar_t *settings_program_guard = L"Gk7t30UI_EXE";

inline constexpr unsigned long date_size = 16;  // "%Y/%m/%d" texts in a 16-byte REG_SZ

}  // namespace mgx::store
