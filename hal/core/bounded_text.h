// Copying text into the library's fixed buffers: always terminated, never past the end.
#pragma once

#include <cstddef>
#include <cstring>

namespace mgx::hal {

template <std::size_t N>
void copy_bounded(char (&buffer)[N], const char *text) {
    std::size_t length = text ? strnlen(text, N - 1) : 0;
    std::memcpy(buffer, text ? text : "", length);
    buffer[length] = '\0';
}

// ASCII a to z only, in place.
inline void upper_case_ascii(char *text) {
    for (; text && *text; ++text)
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

// First `count` characters equal, ASCII case ignored (a shorter text does not match).
inline bool starts_with_ignoring_case(const char *text, const char *prefix, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        char a = text[i], b = prefix[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
        if (a != b) return false;
        if (a == '\0') return true;
    }
    return true;
}

}  // namespace mgx::hal
