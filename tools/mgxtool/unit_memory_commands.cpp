#include "unit_memory_commands.h"

#include <cstring>
#include <memory>
#include <sstream>

#include <halcore/mgx_call.h>

#include "change_report.h"
#include "cli/input_parsing.h"
#include "halcore_session.h"
#include "text/hex.h"

namespace mgx::tool {

using namespace mgx::cli;

using nlohmann::json;
using namespace mgx::hal;

namespace {

struct SystemInformationOptions {
    std::vector<std::string> entries;
};

void add_system_information(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<SystemInformationOptions>();
    CLI::App *command = app.add_subcommand("system-info", "the unit's four system information entries");
    command->add_option("--set", options->entries, "ENTRY=TEXT (entry 0 to 3, at most 25 characters); repeatable")
        ->allow_extra_args(false);
    command->callback([&output, options] {
        std::vector<std::pair<int, std::string>> changes;
        for (const std::string &entry : options->entries) {
            const auto equals = entry.find('=');
            if (equals != 1 || entry[0] < '0' || entry[0] > '3')
                throw CLI::ValidationError("--set takes ENTRY=TEXT, ENTRY 0 to 3");
            std::string text = ansi_text(entry.substr(2), "the entry text");
            if (text.size() > 25) throw CLI::ValidationError("entry texts hold at most 25 characters");
            changes.emplace_back(entry[0] - '0', std::move(text));
        }
        with_unit(output, [&changes](json &document, std::ostringstream &text) {
            MgxSystemInformation info{}, before{};
            if (!changes.empty()) {
                if (std::int32_t status = mgx_call<CommandType::SystemInformation>(before)) return status;
                for (const auto &[number, value] : changes) {
                    SystemInformationEntry &entry = info.entries[system_information_slot[number]];
                    entry.length = static_cast<std::uint8_t>(value.size());
                    std::memcpy(entry.text, value.data(), value.size());
                }
                if (std::int32_t status = mgx_call<CommandType::SetSystemInformation>(info)) return status;
            }
            if (std::int32_t status = mgx_call<CommandType::SystemInformation>(info)) return status;
            std::vector<std::string_view> entries;
            for (int number = 0; number < 4; ++number) {
                const SystemInformationEntry &entry = info.entries[system_information_slot[number]];
                entries.emplace_back(entry.text, std::min<std::size_t>(entry.length, sizeof entry.text));
                text << "entry " << number << "  " << shown_text(latin1_text(entries.back())) << "\n";
            }
            if (!changes.empty()) {
                std::vector<Change> said;
                for (const auto &[number, value] : changes) {
                    const SystemInformationEntry &old = before.entries[system_information_slot[number]];
                    const std::string_view old_text(old.text, std::min<std::size_t>(old.length, sizeof old.text));
                    said.push_back({"system information entry " + std::to_string(number),
                                    "\"" + shown_text(latin1_text(old_text)) + "\"",
                                    "\"" + shown_text(latin1_text(entries[number])) + "\""});
                }
                report_changes(said, false, document, text);
            }
            put_outside_texts(document, "entries", entries);
            put_outside_text(document, "check_code", std::string_view(info.check_code, 2));
            text << "check code " << latin1_text(std::string_view(info.check_code, 2)) << "\n";
            return 0;
        });
    });
}

struct StoreAreaOptions {
    std::uint16_t offset = 0, length = 0;
    std::string bytes;
};

void add_store_area(CLI::App &app, const OutputOptions &output) {
    auto options = std::make_shared<StoreAreaOptions>();
    CLI::App *store = app.add_subcommand("store", "the unit's 506-byte store area");
    store->require_subcommand(1);
    CLI::App *read = store->add_subcommand("read", "read OFFSET LENGTH");
    add_number(read, "offset", options->offset, "0 to 505", 0, 505)->required();
    add_number(read, "length", options->length, "bytes", 0, 506)->required();
    read->callback([&output, options] {
        if (options->offset + options->length > store_area_size) throw CLI::ValidationError("offset + length may not exceed 506");
        with_unit(output, [&options](json &document, std::ostringstream &text) {
            MgxStoreBlock in{options->offset, options->length, {}}, out{};
            if (std::int32_t status = mgx_call<CommandType::ReadStoreArea>(in, out)) return status;
            const std::size_t got = std::min<std::size_t>(out.length, options->length);
            const std::string shown = text::to_hex(std::span(out.data, got));
            document["offset"] = out.offset;
            document["asked"] = options->length;
            document["got"] = got;
            document["data"] = shown;
            text << got << " bytes at " << out.offset << ": " << shown << "\n";
            if (got != options->length)
                mark_incomplete(document, text,
                                "asked for " + std::to_string(options->length) + " bytes, got " + std::to_string(got));
            return 0;
        });
    });
    CLI::App *write = store->add_subcommand("write", "write OFFSET HEX-BYTES");
    add_number(write, "offset", options->offset, "0 to 505", 0, 505)->required();
    write->add_option("bytes", options->bytes, "hexadecimal bytes")->required();
    write->callback([&output, options] {
        const std::vector<std::uint8_t> data = parse_hex(options->bytes, store_area_size, "the bytes");
        const std::uint16_t offset = options->offset;
        if (offset + data.size() > store_area_size) throw CLI::ValidationError("offset + length may not exceed 506");
        with_unit(output, [&data, offset](json &document, std::ostringstream &text) {
            // What the range held, to say what the write changed.
            const auto range = [&](std::string &shown) {
                MgxStoreBlock asked{offset, static_cast<std::uint16_t>(data.size()), {}}, got{};
                const std::int32_t status = mgx_call<CommandType::ReadStoreArea>(asked, got);
                shown = status == 0 ? text::to_hex(std::span(got.data, std::min<std::size_t>(got.length, data.size())))
                                    : "unreadable (status " + std::to_string(status) + ")";
            };
            std::string before, after;
            range(before);
            MgxStoreBlock in{offset, static_cast<std::uint16_t>(data.size()), {}};
            std::memcpy(in.data + offset, data.data(), data.size());  // indexed by store position
            std::uint16_t written = 0;
            if (std::int32_t status = mgx_call<CommandType::WriteStoreArea>(in, written)) return status;
            document["written"] = written;
            range(after);
            report_changes({{"store area bytes " + std::to_string(offset) + " to " + std::to_string(offset + data.size() - 1),
                             before, after}},
                           false, document, text);
            text << written << " bytes written\n";
            if (written != data.size())
                mark_incomplete(document, text,
                                "wrote " + std::to_string(written) + " of " + std::to_string(data.size()) + " bytes");
            return 0;
        });
    });
}

}  // namespace

void add_unit_memory_commands(CLI::App &app, const OutputOptions &output) {
    add_system_information(app, output);
    add_store_area(app, output);
}

}  // namespace mgx::tool
