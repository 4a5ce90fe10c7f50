// The fixture of Halcore's focused tests: a fresh process state and recorded waits.
#pragma once

#include <gtest/gtest.h>

#include "hal_fakes.h"

namespace mgx::hal::testing {

class HalTest : public ::testing::Test {
protected:
    void SetUp() override { reset_process_state(); }
    void TearDown() override { reset_process_state(); }
    RecordedWaits waits;
};

}  // namespace mgx::hal::testing
