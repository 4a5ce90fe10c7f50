// The settings program's own words where a command keeps its rules: a message box's English
// text in UTF-8, its lines as the box has them or joined into one.
#pragma once

#include <string>
#include <string_view>

#include "message_catalogue.h"
#include "text/utf8.h"

namespace mgx::tool {

inline std::string dialog_text(const settings::UiMessageBox &box, bool one_line = false) {
    std::string text = text::utf8_of(std::wstring_view(box.text.in(settings::English)));
    if (one_line)
        for (char &c : text)
            if (c == '\n') c = ' ';
    return text;
}

}  // namespace mgx::tool
