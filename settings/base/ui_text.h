// The settings program's bilingual texts: each dialog owns one table of rows (window title
// first, then one row per control) and its messages, all picked by the language.
#pragma once

#include <cstdio>
#include <span>
#include <string>

#include "language.h"

namespace mgx::settings {

using store::English;
using store::Japanese;
using store::LanguageIndex;

// Japanese first, then English, as LanguageIndex counts.
struct Bilingual {
    const wchar_t *japanese;
    const wchar_t *english;

    const wchar_t *in(LanguageIndex language) const { return language == Japanese ? japanese : english; }
};

struct UiTextRow {
    int control_id;  // 0: the window title
    Bilingual caption;
    Bilingual tip;
};

using UiTable = std::span<const UiTextRow>;

using UiMessage = Bilingual;

// A message box: its texts, and its buttons, icon and default button.
struct UiMessageBox {
    UiMessage text;
    unsigned int style;  // MB_OK | MB_ICONSTOP and the like
};

// The program's own name, the caption of its message boxes.
inline constexpr const wchar_t *program_title = L"GK7T30UI";

// A caption or message with its one printf-style number ("%ld", "%lu"), or as it is.
template <typename... Number>
std::wstring formatted(const wchar_t *format, Number... number) {
    if constexpr (sizeof...(Number) == 0) {
        return format;
    } else {
        wchar_t text[1024];
        std::swprintf(text, sizeof text / sizeof *text, format, number...);
        return text;
    }
}

}  // namespace mgx::settings
