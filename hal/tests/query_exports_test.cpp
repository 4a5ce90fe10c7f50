// The forwarding query exports over a table of this test's own, and the locally built table.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "hal_test.h"
#include "inventory_state.h"
#include "query_api_table.h"

namespace mgx::hal {
namespace {

using namespace testing;

std::vector<std::string> calls;

std::int32_t echo_four(std::uintptr_t a, std::uintptr_t b, std::uintptr_t c, std::uintptr_t d) {
    calls.push_back("thresholds");
    return static_cast<std::int32_t>(a * 1000 + b * 100 + c * 10 + d);
}
std::int32_t describe_fails(void *) {
    calls.push_back("describe");
    return 9;
}
std::int32_t describe_works(void *) {
    calls.push_back("describe");
    return 0;
}
std::int32_t read_text(void *) {
    calls.push_back("text");
    return 3;
}

template <typename Function>
QueryEntry entry(Function function) {
    return reinterpret_cast<QueryEntry>(reinterpret_cast<void (*)()>(function));
}

class QueryExports : public HalTest {
protected:
    void SetUp() override {
        HalTest::SetUp();
        calls.clear();
        for (std::size_t i = 0; i < query_category_count; ++i) table[i] = {static_cast<std::uint32_t>(i + 1), nullptr, 0};
        table[0].slots = sensor_slots;
        table[21].slots = lcd_slots;
    }
    void use_table() { inventory_state().query_api_table = table; }

    QueryCategory table[query_category_count];
    QueryEntry sensor_slots[6] = {};
    QueryEntry lcd_slots[5] = {};
};

TEST_F(QueryExports, NoTableIs25AndAnEmptySlot27) {
    std::int32_t count = 0;
    EXPECT_EQ(HCXGetSensorNumber(1, &count), status::interface_unavailable);
    EXPECT_EQ(HCXGetLCDInfo(nullptr, nullptr), status::interface_unavailable);
    EXPECT_EQ(HCXGetInvFruInfo(nullptr, nullptr), status::interface_unavailable);
    use_table();
    EXPECT_EQ(HCXGetSensorNumber(1, &count), status::entry_point_missing) << "slot 0 of the sensors empty";
    EXPECT_EQ(HCXGetPSUInfo(0, nullptr), status::entry_point_missing) << "the category has no slots at all";
}

// A slot that answers where it sits: its category entry times 100 plus its slot.
template <std::int32_t Code>
std::int32_t answer_where(...) {
    return Code;
}

// Each of the seventeen exports: 25 without a table, and its own entry and slot with one.
TEST_F(QueryExports, EveryExportReachesItsOwnEntryAndSlot) {
    const struct {
        const char *name;
        std::function<std::int32_t()> call;
        std::size_t entry, slot;
        QueryEntry answer;
    } exports[] = {
        {"HCXGetSensorNumber", [] { return HCXGetSensorNumber(1, nullptr); }, 0, 0, entry(answer_where<0>)},
        {"HCXGetSensorInfo", [] { return HCXGetSensorInfo(1, 1, nullptr); }, 0, 1, entry(answer_where<1>)},
        {"HCXGetSensorCurrentVal", [] { return HCXGetSensorCurrentVal(1, 1, 1, nullptr); }, 0, 2, entry(answer_where<2>)},
        {"HCXGetSensorThreshVal", [] { return HCXGetSensorThreshVal(0, 0, 0, 0); }, 0, 4, entry(answer_where<4>)},
        {"HCXGetSensorFru", [] { return HCXGetSensorFru(8, 1, nullptr); }, 0, 5, entry(answer_where<5>)},
        {"HCXGetMemModErrInfo", [] { return HCXGetMemModErrInfo(0, 0); }, 1, 2, entry(answer_where<102>)},
        {"HCXGetMemModFruInfo", [] { return HCXGetMemModFruInfo(1, nullptr); }, 1, 3, entry(answer_where<103>)},
        {"HCXGetMemDevErrInfo", [] { return HCXGetMemDevErrInfo(0, 0); }, 1, 8, entry(answer_where<108>)},
        {"HCXGetMemDevFruInfo", [] { return HCXGetMemDevFruInfo(0, 0); }, 1, 9, entry(answer_where<109>)},
        {"HCXGetProcFruInfo", [] { return HCXGetProcFruInfo(1, nullptr); }, 2, 2, entry(answer_where<202>)},
        {"HCXGetPSUInfo", [] { return HCXGetPSUInfo(1, nullptr); }, 6, 0, entry(answer_where<600>)},
        {"HCXGetSysSecurityInfo", [] { return HCXGetSysSecurityInfo(nullptr); }, 8, 0, entry(answer_where<800>)},
        {"HCXGetPhysContInfo", [] { return HCXGetPhysContInfo(0); }, 9, 0, entry(answer_where<900>)},
        {"HCXGetPhysContFruInfo", [] { return HCXGetPhysContFruInfo(nullptr); }, 9, 1, entry(answer_where<901>)},
        {"HCXGetInvFruInfo", [] { return HCXGetInvFruInfo(nullptr, nullptr); }, 10, 0, entry(answer_where<1000>)},
        {"HCXGetLCDFru", [] { return HCXGetLCDFru(0); }, 21, 1, entry(answer_where<2101>)},
        {"HCXGetLCDInfo", [] { return HCXGetLCDInfo(nullptr, nullptr); }, 21, 3, entry(answer_where<2103>)},
    };
    QueryEntry slots[query_category_count][10] = {};
    for (std::size_t i = 0; i < query_category_count; ++i) table[i].slots = slots[i];
    slots[21][0] = entry(describe_works);
    for (const auto &query : exports) {
        SCOPED_TRACE(query.name);
        EXPECT_EQ(query.call(), status::interface_unavailable);
        slots[query.entry][query.slot] = query.answer;
    }
    use_table();
    for (const auto &query : exports) {
        SCOPED_TRACE(query.name);
        EXPECT_EQ(query.call(), static_cast<std::int32_t>(query.entry * 100 + query.slot));
    }
}

TEST_F(QueryExports, ArgumentsGoThroughUnchangedAndTheResultComesBack) {
    sensor_slots[4] = entry(echo_four);
    use_table();
    EXPECT_EQ(HCXGetSensorThreshVal(1, 2, 3, 4), 1234);
    EXPECT_EQ(calls, std::vector<std::string>{"thresholds"});
}

TEST_F(QueryExports, LcdInfoCallsTheTextOnlyAfterTheDescriptionWorked) {
    use_table();
    lcd_slots[0] = entry(describe_fails);
    EXPECT_EQ(HCXGetLCDInfo(nullptr, nullptr), status::entry_point_missing) << "slot 3 missing: slot 0 is not called";
    EXPECT_TRUE(calls.empty());
    lcd_slots[3] = entry(read_text);
    EXPECT_EQ(HCXGetLCDInfo(nullptr, nullptr), 9);
    EXPECT_EQ(calls, std::vector<std::string>{"describe"});
    calls.clear();
    lcd_slots[0] = entry(describe_works);
    EXPECT_EQ(HCXGetLCDInfo(nullptr, nullptr), 3);
    EXPECT_EQ(calls, (std::vector<std::string>{"describe", "text"}));
}

// The locally built table: categories, flags, and where its slots are empty or answer 4.
TEST_F(QueryExports, LocalTableAsLaidOut) {
    EXPECT_EQ(install_local_query_table(), 22u);
    const auto *local = static_cast<const QueryCategory *>(inventory_state().query_api_table);
    const std::uint32_t categories[] = {1, 2, 3, 5, 4, 10, 11, 7, 6, 12, 9, 8, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
    const std::uint32_t flags[] = {1, 1, 1, 0, 0, 0, 1, 0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (std::size_t entry = 0; entry < 22; ++entry) {
        SCOPED_TRACE(entry);
        EXPECT_EQ(local[entry].category, categories[entry]);
        EXPECT_EQ(local[entry].supported, flags[entry]);
        EXPECT_EQ(local[entry].slots == nullptr, entry >= 17 && entry <= 20);
    }
    EXPECT_EQ(local[12].slots[0], nullptr);
    EXPECT_EQ(local[13].slots[1], nullptr);
    EXPECT_EQ(local[1].slots[9], &NotSupportedEntry);
    EXPECT_EQ(HCXGetMemDevFruInfo(0, 0), 4) << "not supported";
    EXPECT_EQ(HCXGetSensorThreshVal(0, 0, 0, 0), 4);
    EXPECT_EQ(HCXGetPhysContFruInfo(nullptr), 3) << "the local physical container: its empty list answers before the NULL record";
    // The local implementations sit in their slots; every other slot answers 4.
    const std::vector<std::pair<std::size_t, std::size_t>> local_slots = {{0, 0}, {0, 1}, {0, 2}, {0, 5},  {1, 3},  {2, 2},
                                                                          {6, 0}, {8, 0}, {9, 1}, {10, 0}, {21, 0}, {21, 3}};
    const std::size_t slot_counts[] = {6, 10, 3, 3, 3, 2, 1, 4, 2, 2, 1, 1, 2, 2, 2, 2, 2, 0, 0, 0, 0, 5};
    for (std::size_t entry = 0; entry < 22; ++entry)
        for (std::size_t slot = 0; slot < slot_counts[entry]; ++slot) {
            if (entry == 12 || entry == 13) continue;
            const bool local_one = std::find(local_slots.begin(), local_slots.end(), std::pair{entry, slot}) != local_slots.end();
            EXPECT_EQ(local[entry].slots[slot] == &NotSupportedEntry, !local_one) << entry << "/" << slot;
        }
}

}  // namespace
}  // namespace mgx::hal
