#include "smbus_device_commands.h"

#include <array>
#include <functional>
#include <memory>
#include <span>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "cli/input_parsing.h"
#include "halcore_session.h"
#include "text/hex.h"

namespace mgx::tool {

using namespace mgx::cli;

using nlohmann::json;

namespace {

using Packet = std::array<std::uint8_t, 48>;
using PacketRead = std::function<std::int32_t(std::uint8_t *)>;

// What an answer packet holds: its count, status byte, echoed command and checksum have a
// meaning of their own; the data belong to the device and are shown as they came.
struct PacketAnswer {
    std::size_t count;
    std::uint8_t device_status, command, checksum;
    std::string data, packet;  // in hex
};

PacketAnswer decode_answer(const Packet &packet) {
    const std::size_t count = packet[3];
    const std::size_t data_end = std::min<std::size_t>(3 + count, packet.size() - 1);
    return {count,
            packet[4],
            packet[5],
            packet[data_end],
            text::to_hex(std::span(packet).subspan(6, data_end > 6 ? data_end - 6 : 0)),
            text::to_hex(packet)};
}

json answer_json(const PacketAnswer &answer) {
    return {{"count", answer.count}, {"device_status", answer.device_status}, {"command", answer.command},
            {"data", answer.data},   {"checksum", answer.checksum},           {"packet", answer.packet}};
}

std::string describe_answer(const PacketAnswer &answer) {
    return "command " + text::hex_number(answer.command) + ", device status " + text::hex_number(answer.device_status) +
           ", count " + std::to_string(answer.count) + "\ndata    " + answer.data + "\n";
}

// What a failed exchange's status means, for the reader.
std::int32_t explained(std::int32_t status, json &document, std::ostringstream &text) {
    namespace codes = hal::status;
    std::string meaning;
    switch (status) {
    case codes::ok: return status;
    case codes::interface_unavailable:
        meaning = "no SMBus device is open: this machine's unit is not reached over the SMBus";
        break;
    case codes::smb_answer_wrong: meaning = "the device's answer had a wrong checksum, status byte or echoed command"; break;
    case codes::smb_status_read_failed: meaning = "reading the device's status failed"; break;
    case codes::smb_write_not_counted: meaning = "the device's write counter did not advance by one"; break;
    case codes::send_receive_failed: meaning = "the request to the device failed"; break;
    default: meaning = "the device reported error code " + std::to_string(status); break;
    }
    document["meaning"] = meaning;
    text << meaning << "\n";
    return status;
}

// One export that fills a packet, reported under `title`.
void report_packet(const OutputOptions &output, const std::string &title, const PacketRead &read) {
    with_unit(output, [&](json &document, std::ostringstream &text) {
        Packet packet{};
        const std::int32_t status = read(packet.data());
        if (status != 0) return explained(status, document, text);
        const PacketAnswer answer = decode_answer(packet);
        document["answer"] = answer_json(answer);
        text << title << "\n" << describe_answer(answer);
        return 0;
    });
}

void list_rci_nodes(const OutputOptions &output) {
    with_unit(output, [](json &document, std::ostringstream &text) {
        Packet packet{};
        if (std::int32_t status = HCXGetSmbRCINumNode(packet.data())) return explained(status, document, text);
        document["answer"] = answer_json(decode_answer(packet));
        const int nodes = packet[3] > 3 ? packet[6] : 0;  // the first data byte: the number of nodes
        document["nodes"] = nodes;
        text << "RCI nodes: " << nodes << "\n";
        json devices = json::array();
        for (int node = 1; node <= nodes; ++node) {
            if (std::int32_t status = HCXGetSmbRciDevInfo(node, packet.data())) return explained(status, document, text);
            const PacketAnswer answer = decode_answer(packet);
            devices.push_back({{"node", node}, {"answer", answer_json(answer)}});
            text << "node " << node << ": " << answer.data << "\n";
        }
        document["devices"] = devices;
        return 0;
    });
}

void show_display(const OutputOptions &output) {
    with_unit(output, [](json &document, std::ostringstream &text) {
        char characters[32];
        if (std::int32_t status = HCXGetSmbLcdDisp(characters)) return explained(status, document, text);
        const std::string_view first(characters, 16), second(characters + 16, 16);
        put_outside_texts(document, "lines", {first, second});
        text << "+----------------+\n|" << shown_text(latin1_text(first)) << "|\n|" << shown_text(latin1_text(second))
             << "|\n+----------------+\n";
        return 0;
    });
}

struct RciOptions {
    int node = 0, unit = 0;
};

}  // namespace

void add_smbus_device_commands(CLI::App &app, const OutputOptions &output) {
    CLI::App *lcd = app.add_subcommand("lcd", "the LCD panel controller on the SMBus (SMBus machines)");
    lcd->require_subcommand(1);
    lcd->add_subcommand("info", "the controller's device information")->callback([&output] {
        report_packet(output, "LCD device information", HCXGetSmbLcdDevInfo);
    });
    lcd->add_subcommand("log", "the controller's management log information")->callback([&output] {
        report_packet(output, "LCD management log information", HCXGetSmbLcdMgmtLogInfo);
    });
    lcd->add_subcommand("display", "the text the panel shows: two lines of 16 characters")->callback([&output] {
        show_display(output);
    });

    auto options = std::make_shared<RciOptions>();
    CLI::App *rci = app.add_subcommand("rci", "the RCI device chain behind the LCD panel controller (SMBus machines)");
    rci->require_subcommand(1);
    rci->add_subcommand("nodes", "the number of nodes and each node's device information (nodes count from 1)")
        ->callback([&output] { list_rci_nodes(output); });
    CLI::App *device = rci->add_subcommand("device", "device information of node N");
    add_number(device, "node", options->node, "node number, 1 to 255", 1, 255)->required();
    device->callback([&output, options] {
        report_packet(output, "RCI node " + std::to_string(options->node),
                      [&options](std::uint8_t *out) { return HCXGetSmbRciDevInfo(options->node, out); });
    });
    CLI::App *unit = rci->add_subcommand("unit", "unit information of unit U of node N");
    add_number(unit, "node", options->node, "node number, 1 to 255", 1, 255)->required();
    add_number(unit, "unit", options->unit, "unit number, 1 to 255", 1, 255)->required();
    unit->callback([&output, options] {
        report_packet(output, "RCI node " + std::to_string(options->node) + ", unit " + std::to_string(options->unit),
                      [&options](std::uint8_t *out) { return HCXGetSmbRciDevUnitInfo(options->node, options->unit, out); });
    });
}

}  // namespace mgx::tool
