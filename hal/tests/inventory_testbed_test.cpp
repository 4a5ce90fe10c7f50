// The repository walk, the sensor and FRU queries, chassis security and the LCD description end
// to end on the acer machine: the real SMBus driver and the virtual server's repository, sensors
// and FRU device 0.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include <halcore/halcore.h>
#include <halcore/query_records.h>
#include <halcore/status_codes.h>

#include "programs.h"
#include "testbed_machines.h"
#include "text/hex.h"
#include "unit_arrangements.h"

namespace control_key = mgx::testbed::control::key;

namespace mgx::hal {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes shipped_repository() {
    std::ifstream stream(testbed::testing::beside_this_program("profiles/acer.sdr"), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// The unit requests of an exchange log: {netfn, command, data...} with the SMBus target first.
std::vector<Bytes> unit_requests(const nlohmann::json &entries) {
    std::vector<Bytes> requests;
    for (const nlohmann::json &entry : entries) {
        if (!entry.contains(control_key::request)) continue;
        Bytes request = {text::from_hex(entry[control_key::input].get<std::string>())->at(0),
                         entry["request"][control_key::netfn].get<std::uint8_t>(),
                         entry["request"][control_key::command].get<std::uint8_t>()};
        const Bytes data = text::from_hex(entry["request"][control_key::data].get<std::string>()).value();
        request.insert(request.end(), data.begin(), data.end());
        requests.push_back(request);
    }
    return requests;
}

std::string text_of(const FruTextField &field) { return field.text; }

class OnAcerInventory : public OnAcer {
protected:
    void start() {
        ASSERT_EQ(HCXInitImbSmbDll(&type), status::ok);
        ASSERT_EQ(type, SmbusUp);
    }
    void set_sensor(nlohmann::json sensor) {
        control_request(mgx::testbed::control::set_sensor, {{control_key::sensor, std::move(sensor)}});
    }
};

TEST_F(OnAcerInventory, TheWalkMakesExactlyThePrescribedRequests) {
    start();
    // Expected: per record a reservation, then 16 bytes, then pieces from offset 16 on; every
    // device locator then reads FRU device 0: its area info and 8-byte pieces of 256 bytes.
    std::vector<Bytes> expected;
    const Bytes dump = shipped_repository();
    std::uint8_t reservation = 0;
    for (std::size_t at = 0, record = 0; at < dump.size(); ++record) {
        const std::size_t size = 5 + dump[at + 4];
        const std::uint16_t id = record == 0 ? 0 : static_cast<std::uint16_t>(dump[at] | dump[at + 1] << 8);
        ++reservation;
        expected.push_back({0x11, 0x0A, 0x22});
        for (std::size_t offset = 0; offset < size; offset += 16) {
            const std::uint8_t count = offset == 0 ? 16 : static_cast<std::uint8_t>(std::min<std::size_t>(size - offset, 16));
            expected.push_back({0x11, 0x0A, 0x23, reservation, 0, static_cast<std::uint8_t>(id),
                                static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(offset), count});
        }
        if (dump[at + 3] == 0x10) {
            expected.push_back({0x11, 0x0A, 0x10, 0});
            for (std::size_t offset = 0; offset < 256; offset += 8)
                expected.push_back(
                    {0x11, 0x0A, 0x11, 0, static_cast<std::uint8_t>(offset), static_cast<std::uint8_t>(offset >> 8), 8});
        }
        at += size;
    }
    std::vector<Bytes> walk = unit_requests(log());
    walk.erase(walk.begin());  // the start's running-time probe
    EXPECT_EQ(walk, expected);
}

TEST_F(OnAcerInventory, SensorQueriesAnswerFromTheRepositoryWithLiveReadings) {
    start();
    std::int32_t count = 0;
    ASSERT_EQ(HCXGetSensorNumber(1, &count), status::ok);
    EXPECT_EQ(count, 8);
    EXPECT_EQ(HCXGetSensorNumber(255, &count), 2);
    SensorInfoRecord info{};
    ASSERT_EQ(HCXGetSensorInfo(1, 1, &info), status::ok);
    EXPECT_EQ(std::string(info.name, info.name_length), "CPU1 Temp");
    EXPECT_EQ(HCXGetSensorInfo(1, 9, &info), 2);
    std::int32_t value = 0;
    ASSERT_EQ(HCXGetSensorCurrentVal(1, 1, 1, &value), status::ok);
    EXPECT_EQ(value, 380);
    set_sensor({{control_key::owner, 0x20}, {control_key::number, 0x01}, {control_key::raw, 52}});
    ASSERT_EQ(HCXGetSensorCurrentVal(1, 1, 1, &value), status::ok);
    EXPECT_EQ(value, 520);
    control_request(mgx::testbed::control::clear_log);
    ASSERT_EQ(HCXGetSensorCurrentVal(1, 7, 1, &value), status::ok) << "PSU1 Temp, owned by the controller at 0x2C";
    EXPECT_EQ(unit_requests(log()).at(0), (Bytes{0x16, 0x04, 0x2D, 0x10})) << "sent to the owner's address";
    set_sensor({{control_key::owner, 0x2C}, {control_key::number, 0x41}, {control_key::states, 0x05}});
    ASSERT_EQ(HCXGetSensorCurrentVal(8, 2, 0x6F, &value), status::ok);
    EXPECT_EQ(static_cast<std::uint32_t>(value), 0x8000056Fu) << "the second power supply of a shared record";
    SensorDetailRecord detail{};
    ASSERT_EQ(HCXGetSensorDetail(8, 2, &detail), status::ok);
    EXPECT_EQ(std::vector<int>({detail.entity_id, detail.entity_instance}), std::vector<int>({10, 2})) << "its own instance";
    ASSERT_EQ(HCXGetSensorDetail(1, 1, &detail), status::ok);
    EXPECT_EQ(std::vector<int>({detail.unit_code, detail.divisor}), std::vector<int>({1, 10})) << "tenths of degrees C";
    EXPECT_EQ(HCXGetSensorDetail(8, 3, &detail), 2);
    fault({{control_key::kind, "silence"}, {control_key::device, "smbus"}, {control_key::command, 0x2D}});
    EXPECT_EQ(HCXGetSensorCurrentVal(1, 1, 1, &value), 1);
    EXPECT_EQ(HCXGetSensorThreshVal(0, 0, 0, 0), 4);
}

TEST_F(OnAcerInventory, FruListsHoldTheInventoryOfEveryLocator) {
    start();
    FruInventoryRecord record{};
    std::int32_t cursor = 0;
    ASSERT_EQ(HCXGetInvFruInfo(&cursor, &record), status::ok);
    EXPECT_EQ(text_of(record.slots[1]), "ACER");
    EXPECT_EQ(text_of(record.slots[0]), "Altos G700 Mainboard");
    ASSERT_EQ(HCXGetInvFruInfo(&cursor, &record), status::ok);
    EXPECT_EQ(text_of(record.slots[0]), "GK7 Tower 700");
    EXPECT_EQ(text_of(record.slots[5]), "1.02");
    EXPECT_EQ(HCXGetInvFruInfo(&cursor, &record), 3);
    EXPECT_EQ(cursor, 2);
    ASSERT_EQ(HCXGetPhysContFruInfo(&record), status::ok);
    EXPECT_EQ(text_of(record.slots[0]), "System Chassis");
    EXPECT_EQ(text_of(record.slots[4]), "CH7A0012345");
    EXPECT_EQ(HCXGetMemModFruInfo(2, &record), status::ok);
    EXPECT_EQ(HCXGetMemModFruInfo(3, &record), 3);
    EXPECT_EQ(HCXGetProcFruInfo(0, &record), 3);
    EXPECT_EQ(HCXGetSensorFru(8, 1, &record), 1) << "two records per supply locator: no instance is kept";
    EXPECT_EQ(HCXGetSensorFru(1, 1, &record), 4);
    EXPECT_EQ(HCXGetMemDevFruInfo(0, 0), 4);
}

TEST_F(OnAcerInventory, PowerSupplyRecordsFollowTheirLocatorsInstances) {
    // FRU device 0 with a board area only: each supply locator adds one record.
    const std::string board_only =
        "01 00 00 01 00 00 00 fe 01 03 00 00 00 00 c3 50 53 55 c4 50 53 55 31 c0 c0 c1 00 00 00 00 00 13";
    control_request(mgx::testbed::control::set_fru, {{control_key::image, board_only}});
    start();
    FruInventoryRecord record{};
    ASSERT_EQ(HCXGetSensorFru(8, 1, &record), status::ok);
    EXPECT_EQ(text_of(record.slots[0]), "PSU1");
    ASSERT_EQ(HCXGetSensorFru(8, 2, &record), status::ok) << "instance 2, the second supply record";
    EXPECT_EQ(HCXGetSensorFru(8, 3, &record), 2);
    PowerSupplyInfoRecord supply{};
    ASSERT_EQ(HCXGetPSUInfo(1, &supply), status::ok);
    EXPECT_EQ(supply.words[0], 1) << "the power unit shares entity 10, instance 1";
    EXPECT_EQ(supply.words[17], 4);
    ASSERT_EQ(HCXGetPSUInfo(2, &supply), status::ok);
    EXPECT_EQ(supply.words[0], no_value);
}

TEST_F(OnAcerInventory, ChassisSecurityAndLcdDescription) {
    start();
    SecurityInfoRecord security{};
    ASSERT_EQ(HCXGetSysSecurityInfo(&security), status::ok);
    EXPECT_EQ(security.words[3], 4);
    control_request(mgx::testbed::control::set_chassis, {{control_key::chassis_status, "01 02 00"}});
    ASSERT_EQ(HCXGetSysSecurityInfo(&security), status::ok);
    EXPECT_EQ(security.words[0], 2);
    EXPECT_EQ(security.words[3], 3);

    mgx::testbed::set_panel_lines("GK7 Tower 700   ", "Ready           ");
    LcdInfoRecord description{};
    LcdTextRecord text{};
    ASSERT_EQ(HCXGetLCDInfo(&description, &text), status::ok);
    EXPECT_EQ(description.line_count, 2u);
    EXPECT_EQ(description.panel_number, 1u);
    EXPECT_STREQ(description.name.text, "MGX LCD Display");
    EXPECT_EQ(text.length, 32);
    EXPECT_STREQ(text.text, "GK7 Tower 700   Ready           ");
    fault({{control_key::kind, "completion-code"},
           {control_key::command, 0x34},
           {control_key::netfn, 0x06},
           {control_key::code, 0xC0},
           {control_key::count, 1}});
    EXPECT_EQ(HCXGetLCDInfo(&description, &text), 1);
}

// A corrupt repository whose chain loops (the second record naming the first by 0; the third
// naming the second): the start ends, each record read once.
TEST_F(OnAcerInventory, LoopingRepositoryChainsEndTheWalk) {
    const Bytes dump = shipped_repository();
    std::vector<std::uint16_t> ids;
    for (std::size_t at = 0; ids.size() < 3; at += 5 + dump[at + 4])
        ids.push_back(static_cast<std::uint16_t>(dump[at] | dump[at + 1] << 8));
    const struct {
        std::uint16_t from, to;
        std::size_t records_read;
    } loops[] = {{ids[1], 0, 2}, {ids[2], ids[1], 3}};
    for (const auto &loop : loops) {
        SCOPED_TRACE(loop.from);
        control_request(mgx::testbed::control::reset);
        control_request(mgx::testbed::control::link_sdr, {{control_key::from, loop.from}, {control_key::to, loop.to}});
        start();
        ASSERT_EQ(HCXFreeImbSmbDll(), status::ok);
        std::size_t first_pieces = 0;
        for (const Bytes &request : unit_requests(log()))
            if (request[2] == 0x23 && request[7] == 0) ++first_pieces;
        EXPECT_EQ(first_pieces, loop.records_read);
    }
}

TEST_F(OnAcerInventory, ProductProgramsSkipTheWalkAndTheStopEmptiesTheCache) {
    const nlohmann::json product = testbed::testing::run_copy_named("halcore_probe.exe", "GK7T30UI.EXE");
    ASSERT_TRUE(product.is_object());
    EXPECT_EQ(unit_requests(log()).size(), 1u) << "only the running-time probe";
    start();
    ASSERT_EQ(HCXFreeImbSmbDll(), status::ok);
    std::int32_t count = -1;
    EXPECT_EQ(HCXGetSensorNumber(1, &count), status::ok) << "the table stays";
    EXPECT_EQ(count, 0) << "its cache is gone";
}

}  // namespace
}  // namespace mgx::hal
