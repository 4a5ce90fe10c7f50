// Trace output: messages are formatted as the library always has, then handed to a sink that
// discards them (no file, no debugger output).
#pragma once

namespace mgx::hal {

// Source names the messages carry.
inline constexpr const char *trace_main = "HCXImbSmbMain";
inline constexpr const char *trace_imb = "HCXIMB";
inline constexpr const char *trace_fru = "HCXFruDbCollector";

void trace_message(const char *source_file, int line, const char *format, ...) __attribute__((format(printf, 3, 4)));

}  // namespace mgx::hal

#define HAL_TRACE(source, ...) ::mgx::hal::trace_message(source, __LINE__, __VA_ARGS__)
// With the source line the message has always carried.
#define HAL_TRACE_AT(source, line, ...) ::mgx::hal::trace_message(source, line, __VA_ARGS__)
