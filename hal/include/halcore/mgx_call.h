// The typed call of HCXMgxInterface for C++ callers: the command type picks the records, so a
// type code, its records and their sizes cannot be mismatched.
//
//   std::int32_t mode = 0;
//   std::int32_t status = mgx_call<CommandType::SafeMode>(mode);
//   status = mgx_call<CommandType::SetSafeMode>(std::int32_t{1});
//   status = mgx_call<CommandType::ReadStoreArea>(request, answer);
#pragma once

#include <cstdint>

#include <halcore/command_types.h>
#include <halcore/halcore.h>

namespace mgx::hal {

namespace call_detail {

template <typename Record>
void *in_pointer(const Record &record) {
    // The dispatcher only reads its input record.
    return const_cast<Record *>(&record);
}

template <CommandType type>
std::int32_t dispatch(void *in, std::int32_t in_length, void *out, std::int32_t out_length) {
    return HCXMgxInterface(in, in_length, out, out_length, static_cast<std::uint32_t>(type));
}

}  // namespace call_detail

// Commands with an output record only.
template <CommandType type, typename R = CommandRecords<type>>
requires(!R::has_in && R::has_out) std::int32_t mgx_call(typename R::Out &out) {
    return call_detail::dispatch<type>(nullptr, 0, &out, sizeof out);
}

// Commands with an input record only.
template <CommandType type, typename R = CommandRecords<type>>
requires(R::has_in && !R::has_out) std::int32_t mgx_call(const typename R::In &in) {
    return call_detail::dispatch<type>(call_detail::in_pointer(in), sizeof in, nullptr, 0);
}

// Commands with both records.
template <CommandType type, typename R = CommandRecords<type>>
requires(R::has_in &&R::has_out) std::int32_t mgx_call(const typename R::In &in, typename R::Out &out) {
    return call_detail::dispatch<type>(call_detail::in_pointer(in), sizeof in, &out, sizeof out);
}

}  // namespace mgx::hal
