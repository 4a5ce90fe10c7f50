// The user-interface language and the rules by which the programs choose its default.
#pragma once

#include <windows.h>

namespace mgx::store {

enum LanguageIndex : DWORD { Japanese = 0, English = 1 };

// Which program writes the defaults: the language rule and the notification defaults differ.
enum class Writer { SettingsProgram, SetupProgram };

// The settings program: Japanese when the user default language's primary language is Japanese.
// The setup program: only when the system default language's primary language is Japanese too.
LanguageIndex language_default(Writer writer, LANGID user_language, LANGID system_language);

}  // namespace mgx::store
