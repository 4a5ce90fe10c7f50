#include "trace.h"

#include <cstdarg>
#include <cstdio>

namespace mgx::hal {

namespace {

// Where formatted messages go: nowhere.
void discard(const char *, int, const char *) {}

}  // namespace

void trace_message(const char *source_file, int line, const char *format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    discard(text, line, source_file);
}

}  // namespace mgx::hal
