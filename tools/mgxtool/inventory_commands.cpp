#include "inventory_commands.h"

#include <cstring>
#include <string>
#include <vector>

#include <halcore/halcore.h>
#include <halcore/query_records.h>
#include <halcore/sensor_types.h>

#include "halcore_session.h"
#include "sensor_catalogue.h"
#include "sensor_report.h"

namespace mgx::tool {

using nlohmann::json;
using namespace mgx::hal;

namespace {

const char *const slot_names[6] = {"name", "manufacturer", "part_or_model", "part_number", "serial_number", "version"};

// A field's text by its length, NUL bytes inside it kept; the terminator the library adds, and
// what its removal of leading blanks leaves behind, are not part of it.
std::string_view fru_text(const FruTextField &field) {
    std::string_view text(field.text, std::min<std::size_t>(field.length, sizeof field.text));
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    return text;
}

// A record's texts, in slot order, empty slots left out.
struct FruSlotText {
    const char *slot;
    std::string bytes;
};
using FruTexts = std::vector<FruSlotText>;

FruTexts fru_texts(const FruInventoryRecord &record) {
    FruTexts texts;
    for (std::size_t i = 0; i < 6; ++i) {
        const FruTextField &field = record.slots[i];
        if (field.length == 0 && field.text[0] == '\0') continue;
        texts.push_back({slot_names[i], std::string(fru_text(field))});
    }
    return texts;
}

json fru_json(const FruTexts &texts) {
    json slots = json::object();
    for (const FruSlotText &text : texts) put_outside_text(slots, text.slot, text.bytes);
    return slots;
}

// A record's texts, one "name: text" each, between `prefix` and `suffix`.
std::string fru_lines(const FruTexts &texts, const std::string &prefix, const std::string &suffix) {
    std::string lines;
    for (const FruSlotText &text : texts) lines += prefix + text.slot + ": " + shown_text(latin1_text(text.bytes)) + suffix;
    return lines;
}

// Reads a list with `read(position, record)` until it answers 3; other statuses are failures.
template <typename Read>
std::int32_t read_list(json &list, std::ostringstream &text, const char *title, Read read) {
    list = json::array();
    text << title << "\n";
    for (std::uint32_t position = 1;; ++position) {
        FruInventoryRecord record{};
        const std::int32_t status = read(position, record);
        if (status == query_result::list_ended) break;
        if (status != 0) return status;
        const FruTexts texts = fru_texts(record);
        list.push_back(fru_json(texts));
        text << fru_lines(texts, "  ", "\n") << "  --\n";
    }
    if (list.empty()) text << "  (none)\n";
    return 0;
}

// The power-supply list is reached through the power-supply sensors; each record is named by
// its sensor ("PS Status #0x41, entity 10.1"), which tells the supplies apart.
void list_power_supplies(json &list, std::ostringstream &text) {
    const SensorCatalogue catalogue = SensorCatalogue::read(sensor_type::power_supply);
    const std::int32_t supplies = catalogue.count(sensor_type::power_supply);
    list = json::array();
    text << "power supplies (through the power-supply sensors)\n";
    for (std::int32_t index = 1; index <= supplies; ++index) {
        FruInventoryRecord record{};
        const std::int32_t status = HCXGetSensorFru(sensor_type::power_supply, static_cast<std::uint32_t>(index), &record);
        const FruTexts texts = status == 0 ? fru_texts(record) : FruTexts{};
        json supply = {{"sensor_index", index}, {"status", status}, {"record", status == 0 ? fru_json(texts) : json(nullptr)}};
        std::string sensor = "sensor " + std::to_string(index);
        for (const CataloguedSensor &catalogued : catalogue.sensors()) {
            if (catalogued.index != static_cast<std::uint32_t>(index)) continue;
            const std::string entity = catalogued.entity_text();
            sensor += " (" + shown_text(latin1_text(catalogued.record.name_bytes())) + " " +
                      sensor_number_text(catalogued.record.sensor_number()) + (entity.empty() ? "" : ", entity " + entity) + ")";
            if (catalogued.detail) supply["entity_instance"] = catalogued.detail->entity_instance;
            put_outside_text(supply, "sensor_name", catalogued.record.name_bytes());
            supply["sensor_number"] = catalogued.record.sensor_number();
        }
        list.push_back(supply);
        text << "  " << sensor << ": "
             << (status == 0 ? fru_lines(texts, "", "; ") : "no record (status " + std::to_string(status) + ")") << "\n";
    }
}

void list_inventory(const OutputOptions &output) {
    with_unit(output, [](json &document, std::ostringstream &text) {
        std::int32_t cursor = 0;
        if (std::int32_t status = read_list(document["general"], text, "general", [&](std::uint32_t, FruInventoryRecord &record) {
                return HCXGetInvFruInfo(&cursor, &record);
            }))
            return status;
        if (std::int32_t status =
                read_list(document["memory_modules"], text, "memory modules",
                          [](std::uint32_t index, FruInventoryRecord &record) { return HCXGetMemModFruInfo(index, &record); }))
            return status;
        if (std::int32_t status =
                read_list(document["processor_boards"], text, "processor boards",
                          [](std::uint32_t index, FruInventoryRecord &record) { return HCXGetProcFruInfo(index, &record); }))
            return status;
        list_power_supplies(document["power_supplies"], text);
        FruInventoryRecord chassis{};
        const std::int32_t status = HCXGetPhysContFruInfo(&chassis);
        if (status != 0 && status != query_result::list_ended) return status;
        const FruTexts texts = status == 0 ? fru_texts(chassis) : FruTexts{};
        document["chassis"] = status == 0 ? fru_json(texts) : json(nullptr);
        text << "chassis\n" << (status == 0 ? fru_lines(texts, "  ", "\n") : std::string("  (none)\n"));
        return 0;
    });
}

void show_security(const OutputOptions &output) {
    with_unit(output, [](json &document, std::ostringstream &text) {
        SecurityInfoRecord record{};
        if (std::int32_t status = HCXGetSysSecurityInfo(&record)) return status;
        document["words"] = {record.words[0], record.words[1], record.words[2], record.words[3]};
        document["chassis_status_bit"] = record.words[3] == 3;
        text << "security words " << record.words[0] << " " << record.words[1] << " " << record.words[2] << " " << record.words[3]
             << "\nchassis status byte 1, bit 1: " << (record.words[3] == 3 ? "set" : "clear") << "\n";
        return 0;
    });
}

}  // namespace

void add_inventory_commands(CLI::App &app, const OutputOptions &output) {
    app.add_subcommand("inventory", "the FRU inventory: general, memory, processor, power-supply and chassis records")
        ->callback([&output] { list_inventory(output); });
    app.add_subcommand("chassis-security", "the security information from the chassis status")->callback([&output] {
        show_security(output);
    });
}

}  // namespace mgx::tool
