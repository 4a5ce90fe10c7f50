// The machine-wide mutex as one object uses it: a Win32 mutex is taken again by its owner without
// waiting, so a second acquire would need a second release that nobody makes.
#include <gtest/gtest.h>

#include "win32/machine_wide_mutex.h"

namespace mgx::win32 {
namespace {

TEST(MachineWideMutex, ASecondAcquireOfTheSameObjectIsRefused) {
    using Wait = MachineWideMutex::Wait;
    MachineWideMutex mutex(L"MgxCommonTestMutex");
    ASSERT_EQ(mutex.error(), 0u);
    ASSERT_EQ(mutex.acquire(0), Wait::Acquired);
    EXPECT_EQ(mutex.acquire(0), Wait::Failed);
    mutex.release();
    EXPECT_EQ(mutex.acquire(0), Wait::Acquired) << "released once, it is free to be taken again";
    mutex.release();
}

}  // namespace
}  // namespace mgx::win32
