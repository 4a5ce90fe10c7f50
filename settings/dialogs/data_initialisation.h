// Returning every value of the product key to its default, refused while the monitoring
// service runs (it answers its command pipe then).
#pragma once

#include <windows.h>

#include "ui_text.h"

namespace mgx::settings {

// Asks, asks the service, and resets the registry when the service does not answer; shows its
// own messages on `owner`.
void InitialiseAllData(HWND owner, LanguageIndex language);

}  // namespace mgx::settings
