// The management unit's side of the commands that read and change its memory.
#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include "command_catalogue.h"
#include "management_unit.h"

namespace mgx::testbed {

namespace {

constexpr std::uint8_t parameter_out_of_range = 0xC9;
constexpr std::size_t max_answer_data = 26;  // what one SMBus answer carries

struct Context {
    UnitState &state;
    const UnitProfile &profile;
    std::int64_t now_ms;
    const Bytes &data;
    UnitMemory &memory() { return state.memory; }
};

using Handler = std::function<UnitReply(Context &)>;

UnitReply ok(Bytes data = {}, bool changed = false) { return {{completion::ok, std::move(data)}, changed}; }
UnitReply refused(std::uint8_t code) { return {{code, {}}, false}; }
UnitReply changed(Bytes data = {}) { return ok(std::move(data), true); }

bool sized(const Context &context, std::size_t length) { return context.data.size() == length; }

std::uint16_t word(const Bytes &data, std::size_t at) { return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8); }

// The unit's FRU store and the standard FRU device answer alike: area info, read, write. Offsets
// and counts asked for are in bytes; a device read by words answers whole words and counts them.
UnitReply fru_area_info(Context &context, const std::vector<std::uint8_t> &area, bool by_words) {
    if (!sized(context, 1)) return refused(completion::request_length_invalid);
    return ok({static_cast<std::uint8_t>(area.size()), static_cast<std::uint8_t>(area.size() >> 8),
               by_words ? std::uint8_t{1} : std::uint8_t{0}});
}

UnitReply fru_read(Context &context, std::vector<std::uint8_t> &area, bool by_words = false) {
    if (!sized(context, 4)) return refused(completion::request_length_invalid);
    const std::size_t offset = word(context.data, 1);
    if (offset >= area.size()) return refused(parameter_out_of_range);
    std::size_t count = std::min<std::size_t>({context.data[3], area.size() - offset, max_answer_data - 1});
    if (by_words) count = std::min<std::size_t>((count + 1) / 2 * 2, (max_answer_data - 1) / 2 * 2);
    Bytes answer = {static_cast<std::uint8_t>(by_words ? count / 2 : count)};
    answer.insert(answer.end(), area.begin() + offset, area.begin() + offset + std::min(count, area.size() - offset));
    answer.resize(1 + count, 0xFF);
    return ok(answer);
}

UnitReply fru_write(Context &context, std::vector<std::uint8_t> &area) {
    if (context.data.size() < 3) return refused(completion::request_length_invalid);
    const std::size_t offset = word(context.data, 1);
    if (offset >= area.size()) return refused(parameter_out_of_range);
    const std::size_t count = std::min<std::size_t>(context.data.size() - 3, area.size() - offset);
    std::copy(context.data.begin() + 3, context.data.begin() + 3 + count, area.begin() + offset);
    return changed({static_cast<std::uint8_t>(count)});
}

UnitReply maintenance_read(const std::vector<std::uint8_t> &records) { return ok(Bytes(records.begin(), records.begin() + 8)); }

UnitReply maintenance_write(Context &context, std::vector<std::uint8_t> &records) {
    if (!sized(context, 9) || context.data[0] > 1) return refused(completion::request_length_invalid);
    std::copy(context.data.begin() + 1, context.data.end(), records.begin() + 8 * context.data[0]);
    return changed(Bytes(records.begin() + 8 * context.data[0], records.begin() + 8 * context.data[0] + 8));
}

UnitReply panel_control(Context &context) {
    const Bytes &data = context.data;
    if (data.size() < 3) return refused(completion::request_length_invalid);
    Panel &panel = context.memory().panel;
    panel.led_control = data[1];
    panel.leds = static_cast<std::uint8_t>(data[1] & 0x07);
    if (data.size() >= 7) {
        const std::size_t length = data[4], row = data[5], column = data[6];
        if (data.size() != 7 + length || row > 1 || column >= 16) return refused(parameter_out_of_range);
        std::string &line = panel.lines[row];
        for (std::size_t i = 0; i < length && column + i < 16; ++i) line[column + i] = static_cast<char>(data[7 + i]);
    }
    return changed();
}

UnitReply panel_read(Context &context) {
    if (!sized(context, 2) || context.data[0] > 1) return refused(completion::request_length_invalid);
    const Panel &panel = context.memory().panel;
    Bytes answer = {static_cast<std::uint8_t>(context.profile.lcd_present ? 0x00 : 0x01)};
    answer.insert(answer.end(), panel.lines[context.data[0]].begin(), panel.lines[context.data[0]].end());
    answer.push_back(static_cast<std::uint8_t>(context.profile.os_boot_monitoring ? 0x02 : 0x00));
    answer.push_back(panel.leds);
    return ok(answer);
}

UnitReply store_read(Context &context) {
    if (!sized(context, 3)) return refused(completion::request_length_invalid);
    const std::size_t position = word(context.data, 0);
    if (position > unit_store_size) return refused(parameter_out_of_range);
    const std::size_t count = std::min<std::size_t>(
        {context.data[2], context.profile.store_read_limit, unit_store_size - position, max_answer_data - 1});
    Bytes answer = {static_cast<std::uint8_t>(count)};
    answer.insert(answer.end(), context.memory().store.begin() + position, context.memory().store.begin() + position + count);
    return ok(answer);
}

UnitReply store_write(Context &context) {
    if (context.data.size() < 3) return refused(completion::request_length_invalid);
    const std::size_t position = word(context.data, 0);
    if (position > unit_store_size) return refused(parameter_out_of_range);
    const std::size_t count = std::min<std::size_t>(context.data.size() - 3, unit_store_size - position);
    std::copy(context.data.begin() + 3, context.data.begin() + 3 + count, context.memory().store.begin() + position);
    return changed({static_cast<std::uint8_t>(count)});
}

const std::map<std::pair<std::uint8_t, std::uint8_t>, Handler> &handlers() {
    static const std::map<std::pair<std::uint8_t, std::uint8_t>, Handler> table = {
        {{netfn::unit, unit_command::set_running_time},
         [](Context &c) {
             if (!sized(c, 4)) return refused(completion::request_length_invalid);
             c.state.set_running_hours(c.data[0] | c.data[1] << 8 | c.data[2] << 16 | static_cast<std::uint32_t>(c.data[3]) << 24,
                                       c.state.running_hours_fixed, c.now_ms);
             return changed();
         }},
        {{netfn::unit, unit_command::maintenance_info}, [](Context &c) { return maintenance_read(c.memory().maintenance.info); }},
        {{netfn::unit, unit_command::set_maintenance_info},
         [](Context &c) { return maintenance_write(c, c.memory().maintenance.info); }},
        {{netfn::unit, unit_command::memory_maintenance},
         [](Context &c) { return maintenance_read(c.memory().maintenance.memory); }},
        {{netfn::unit, unit_command::set_memory_maintenance},
         [](Context &c) { return maintenance_write(c, c.memory().maintenance.memory); }},
        {{netfn::unit, unit_command::set_system_config_last},
         [](Context &c) {
             if (!sized(c, 1)) return refused(completion::request_length_invalid);
             c.memory().maintenance.system_config_last = c.data[0];
             return changed();
         }},
        {{netfn::unit, unit_command::safe_mode}, [](Context &c) { return ok({c.memory().safe_mode}); }},
        {{netfn::unit, unit_command::set_safe_mode},
         [](Context &c) {
             if (!sized(c, 1)) return refused(completion::request_length_invalid);
             c.memory().safe_mode = c.data[0];
             return changed();
         }},
        {{netfn::unit, unit_command::boot_monitoring},
         [](Context &c) {
             const BootMonitoring &boot = c.memory().boot;
             return ok({static_cast<std::uint8_t>(boot.post_timeout), static_cast<std::uint8_t>(boot.post_timeout >> 8),
                        boot.post_retries, static_cast<std::uint8_t>(boot.os_boot_timeout),
                        static_cast<std::uint8_t>(boot.os_boot_timeout >> 8), boot.os_boot_retries, boot.retry_method});
         }},
        {{netfn::unit, unit_command::set_boot_monitoring},
         [](Context &c) {
             if (!sized(c, 8)) return refused(completion::request_length_invalid);
             BootMonitoring &boot = c.memory().boot;
             boot.post_enabled = c.data[0] & 0x80;
             boot.os_boot_enabled = c.data[0] & 0x40;
             boot.post_timeout = word(c.data, 1);
             boot.post_retries = c.data[3];
             boot.os_boot_timeout = word(c.data, 4);
             boot.os_boot_retries = c.data[6];
             boot.retry_method = c.data[7];
             return changed();
         }},
        {{netfn::unit, unit_command::unit_fru_area_info},
         [](Context &c) { return fru_area_info(c, c.memory().unit_fru, false); }},
        {{netfn::storage, storage_command::fru_area_info},
         [](Context &c) { return fru_area_info(c, c.memory().fru_device, c.profile.fru_word_access); }},
        {{netfn::unit, unit_command::read_unit_fru}, [](Context &c) { return fru_read(c, c.memory().unit_fru); }},
        {{netfn::storage, storage_command::read_fru},
         [](Context &c) { return fru_read(c, c.memory().fru_device, c.profile.fru_word_access); }},
        {{netfn::unit, unit_command::write_unit_fru}, [](Context &c) { return fru_write(c, c.memory().unit_fru); }},
        {{netfn::storage, storage_command::write_fru}, [](Context &c) { return fru_write(c, c.memory().fru_device); }},
        {{netfn::unit, unit_command::fan_control},
         [](Context &c) {
             if (!sized(c, 3)) return refused(completion::request_length_invalid);
             if (c.data[0] >= fan_count) return refused(parameter_out_of_range);
             c.memory().fan_control[c.data[0]] = word(c.data, 1);
             return changed();
         }},
        {{netfn::unit, unit_command::fan_status},
         [](Context &c) {
             if (!sized(c, 1)) return refused(completion::request_length_invalid);
             if (c.data[0] >= fan_count) return refused(parameter_out_of_range);
             // A fan runs (status 1) unless it was set to 0.
             return ok({static_cast<std::uint8_t>(c.memory().fan_control[c.data[0]] != 0 ? 1 : 0)});
         }},
        {{netfn::unit, unit_command::panel_control}, panel_control},
        {{netfn::unit, unit_command::panel_read}, panel_read},
        {{netfn::unit, unit_command::system_information},
         [](Context &c) {
             if (!sized(c, 1) || c.data[0] > 3) return refused(parameter_out_of_range);
             const std::string &text = c.memory().system_information[c.data[0]];
             Bytes answer = {static_cast<std::uint8_t>(std::min(text.size(), max_answer_data - 1))};
             answer.insert(answer.end(), text.begin(), text.begin() + answer[0]);
             return ok(answer);
         }},
        {{netfn::unit, unit_command::set_system_information},
         [](Context &c) {
             if (c.data.size() < 2 || c.data[0] > 3 || c.data.size() != 2u + c.data[1])
                 return refused(completion::request_length_invalid);
             c.memory().system_information[c.data[0]] = std::string(c.data.begin() + 2, c.data.end());
             return changed();
         }},
        {{netfn::unit, unit_command::read_store}, store_read},
        {{netfn::unit, unit_command::write_store}, store_write},
    };
    return table;
}

}  // namespace

UnitReply answer_memory_command(UnitState &state, const UnitProfile &profile, std::int64_t now_ms, const IpmiRequest &request) {
    auto handler = handlers().find({request.network_function, request.command});
    if (handler == handlers().end()) return refused(completion::invalid_command);
    Context context{state, profile, now_ms, request.data};
    return handler->second(context);
}

}  // namespace mgx::testbed
