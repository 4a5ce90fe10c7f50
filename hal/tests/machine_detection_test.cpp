// Machine detection and the library frame with a stand-in SMBIOS information library.
#include <gtest/gtest.h>

#include <cstring>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "hal_test.h"
#include "machine_detection.h"

namespace mgx::hal {
namespace {

using namespace testing;

class MachineDetectionTest : public HalTest {};

TEST_F(MachineDetectionTest, VendorPrefixesDecideTheFamilyInAnyCase) {
    struct Case {
        const char *manufacturer;
        std::int32_t type;
    };
    for (const Case &test :
         {Case{"Intel Corporation", 0}, Case{"intel", 0}, Case{"INTELLIGENT BOARDS", 0}, Case{"Acer Inc.", 1}, Case{"aCeR", 1},
          Case{"Velmora Ltd", 5}, Case{"VELMOR", 7}, Case{"Int", 7}, Case{" Intel", 7}, Case{"", 7}}) {
        SCOPED_TRACE(test.manufacturer);
        FakeSmbios smbios(test.manufacturer, "Board");
        std::int32_t type = -1;
        EXPECT_EQ(DetectMachineType(&type), status::ok);
        EXPECT_EQ(type, test.type);
    }
}

TEST_F(MachineDetectionTest, FifteenPassesAlwaysAndAWaitAfterEachUnrecognisedOne) {
    FakeSmbios intel("Intel", "Board");
    std::int32_t type;
    DetectMachineType(&type);
    EXPECT_EQ(intel.calls(), 15 * 4) << "present, count and two strings in every pass";
    EXPECT_TRUE(waits.waits().empty());
    FakeSmbios other("Contoso", "Board");
    DetectMachineType(&type);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(15, 1000));
}

TEST_F(MachineDetectionTest, MissingSmbiosOrBaseboardEndsInTheFirstPass) {
    std::int32_t type = 0;
    FakeSmbios absent("Intel", "Board", false);
    EXPECT_EQ(DetectMachineType(&type), status::smbios_absent);
    EXPECT_EQ(type, 7);
    EXPECT_EQ(absent.calls(), 1);
    FakeSmbios no_baseboard("Intel", "Board", true, 0);
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::smbios_absent);
    EXPECT_EQ(HCXFreeImbSmbDll(), status::smbios_absent);
    EXPECT_EQ(type, 7);
    EXPECT_TRUE(waits.waits().empty());
}

TEST_F(MachineDetectionTest, NullPointerIsRefusedWithoutTouchingSmbios) {
    FakeSmbios smbios("Intel", "Board");
    EXPECT_EQ(HCXInitImbSmbDll(nullptr), status::bad_argument);
    EXPECT_EQ(DetectMachineType(nullptr), status::bad_argument);
    EXPECT_EQ(smbios.calls(), 0);
}

TEST_F(MachineDetectionTest, ProductNameIsUpperCasedAndBoundedToItsBuffer) {
    FakeSmbios smbios("Intel", std::string(100, 'x') + "s450");
    std::int32_t type;
    DetectMachineType(&type);
    EXPECT_EQ(std::string(process_state().baseboard_product), std::string(63, 'X'));
}

TEST_F(MachineDetectionTest, UnrecognisedVendorGetsNoBackEndAfterFifteenSeconds) {
    FakeSmbios smbios("Contoso", "Board");
    std::int32_t type = 3;
    EXPECT_EQ(HCXInitImbSmbDll(&type), status::ok);
    EXPECT_EQ(type, 7);
    EXPECT_EQ(process_state().back_end_state, 7);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(15, 1000));
    EXPECT_EQ(HCXFreeImbSmbDll(), status::ok);
}

}  // namespace
}  // namespace mgx::hal
