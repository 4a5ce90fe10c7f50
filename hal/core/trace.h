// Trace output: messages are formatted as the library always has, then handed to a sink that
// discards them (no file, no debugger output).
#pragma once

namespace mgx::hal {

// Source name the messages carry.
inline constexpr const char *trace_main = "HCXImbSmbMain";

void trace_message(const char *source_file, int line, const char *format, ...) __attribute__((format(printf, 3, 4)));

}  // namespace mgx::hal

#define HAL_TRACE(source, ...) ::mgx::hal::trace_message(source, __LINE__, __VA_ARGS__)
