// The settings program's frame: the single-instance guard, Halcore's start and shut-down, and
// the main menu in between.
#pragma once

#include <cstdint>
#include <memory>

#include "product_key.h"
#include "win32/machine_wide_mutex.h"

namespace mgx::settings {

inline constexpr const wchar_t *single_instance_mutex = store::settings_program_guard;

class SettingsApp {
public:
    // The one instance of the running program (its back-end state is read by the dialogs).
    static SettingsApp &instance();

    // Start-up: guard, Halcore, then the main menu modally, or the start-up failure message.
    void start();
    // Exit: Halcore shut down when the main menu was shown, the guard released. The exit code.
    int exit();

    std::int32_t back_end_state() const { return back_end_state_; }

private:
    std::unique_ptr<win32::MachineWideMutex> mutex_;
    bool library_open_ = false;
    std::int32_t back_end_state_ = 0;
};

}  // namespace mgx::settings
