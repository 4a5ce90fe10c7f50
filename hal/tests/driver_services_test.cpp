// Driver services through a stand-in service manager: what Wine cannot produce (a locked
// database, a start that stays pending) and the order of the calls.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include <halcore/halcore.h>
#include <halcore/status_codes.h>

#include "hal_fakes.h"
#include "process_state.h"
#include "service_manager.h"

namespace mgx::hal {
namespace {

using namespace testing;

struct Script {
    int locked_attempts = 0;  // lock refusals before the lock is granted
    bool lock_owner_shown = true;
    std::vector<SERVICE_STATUS> statuses;  // answers of successive status queries
    int start_failures = 0;
    DWORD start_error = ERROR_SERVICE_DISABLED;
    std::vector<std::string> calls;
    std::size_t status_query = 0;
    DWORD ticks = 0;
};
Script script;

SC_HANDLE handle() { return reinterpret_cast<SC_HANDLE>(0x100); }

ServiceManager scripted() {
    ServiceManager manager{};
    manager.open_manager = [](const char *, const char *, DWORD) { return script.calls.push_back("open_manager"), handle(); };
    manager.lock_database = [](SC_HANDLE) -> SC_LOCK {
        script.calls.push_back("lock");
        if (script.locked_attempts-- > 0) {
            SetLastError(ERROR_SERVICE_DATABASE_LOCKED);
            return nullptr;
        }
        return reinterpret_cast<SC_LOCK>(0x200);
    };
    manager.unlock_database = [](SC_LOCK) { return script.calls.push_back("unlock"), TRUE; };
    manager.query_lock_status = [](SC_HANDLE, QUERY_SERVICE_LOCK_STATUSA *status, DWORD size, DWORD *) {
        EXPECT_EQ(size, 268u);
        static char owner[] = "Installer";
        status->fIsLocked = script.lock_owner_shown;
        status->lpLockOwner = owner;
        status->dwLockDuration = 7;
        return TRUE;
    };
    manager.create_service = [](SC_HANDLE, const char *, const char *, DWORD, DWORD, DWORD, DWORD, const char *, const char *,
                                DWORD *, const char *, const char *,
                                const char *) { return script.calls.push_back("create"), handle(); };
    manager.open_service = [](SC_HANDLE, const char *, DWORD) { return script.calls.push_back("open_service"), handle(); };
    manager.start_service = [](SC_HANDLE, DWORD, const char **) -> BOOL {
        script.calls.push_back("start");
        if (script.start_failures-- > 0) {
            SetLastError(script.start_error);
            return FALSE;
        }
        return TRUE;
    };
    manager.query_status = [](SC_HANDLE, SERVICE_STATUS *status) -> BOOL {
        script.calls.push_back("query");
        if (script.status_query >= script.statuses.size()) return FALSE;
        *status = script.statuses[script.status_query++];
        return TRUE;
    };
    manager.control_service = [](SC_HANDLE, DWORD, SERVICE_STATUS *) { return script.calls.push_back("stop"), TRUE; };
    manager.delete_service = [](SC_HANDLE) { return script.calls.push_back("delete"), TRUE; };
    manager.close_handle = [](SC_HANDLE) { return script.calls.push_back("close"), TRUE; };
    return manager;
}

SERVICE_STATUS pending(DWORD check_point, DWORD wait_hint) {
    SERVICE_STATUS status{};
    status.dwCurrentState = SERVICE_START_PENDING;
    status.dwCheckPoint = check_point;
    status.dwWaitHint = wait_hint;
    return status;
}

SERVICE_STATUS running() {
    SERVICE_STATUS status{};
    status.dwCurrentState = SERVICE_RUNNING;
    return status;
}

std::string own_path() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

class DriverServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_process_state();
        script = Script{};
        saved = service_manager();
        service_manager() = scripted();
        saved_ticks = platform().tick_count;
        platform().tick_count = [] { return script.ticks; };
    }
    void TearDown() override {
        service_manager() = saved;
        platform().tick_count = saved_ticks;
        reset_process_state();
    }
    ServiceManager saved;
    DWORD (*saved_ticks)();
    RecordedWaits waits;
};

TEST_F(DriverServicesTest, LockedDatabaseIsTriedFiveTimesMoreWithTheOwnerPrinted) {
    script.locked_attempts = 100;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(HCXDynamicDriverStop("bmc", 3), status::database_lock_failed);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    std::string expected;
    for (int i = 0; i < 5; ++i) expected += "Locked by: Installer, duration: 7 seconds\n";
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(std::count(script.calls.begin(), script.calls.end(), "lock"), 6);
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(5, 1000));
    EXPECT_EQ(script.calls.back(), "close") << "the manager handle is closed";
}

TEST_F(DriverServicesTest, LockThatComesFreeEndsTheRetries) {
    script.locked_attempts = 2;
    script.lock_owner_shown = false;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(HCXDynamicDriverStop("bmc", 3), status::ok);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "No longer locked\nNo longer locked\n");
    EXPECT_EQ(waits.waits(), std::vector<DWORD>(2, 1000));
    EXPECT_EQ(script.calls, (std::vector<std::string>{"open_manager", "lock", "lock", "lock", "open_service", "stop", "unlock",
                                                      "close", "close"}));
}

TEST_F(DriverServicesTest, InternalStartNeitherLocksNorCounts) {
    process_state().internal_start = true;
    script.statuses = {running()};
    std::int32_t state = -1;
    EXPECT_EQ(HCXDynamicDriverStart(own_path().c_str(), "bmc", &state), status::ok);
    EXPECT_EQ(state, 2);
    EXPECT_EQ(std::count(script.calls.begin(), script.calls.end(), "lock"), 0);
}

TEST_F(DriverServicesTest, StartPendingIsWaitedOutWhileTheCheckPointGrows) {
    process_state().internal_start = true;
    script.statuses = {pending(1, 30000), pending(2, 30000), running()};
    std::int32_t state;
    EXPECT_EQ(HCXDynamicDriverStart(own_path().c_str(), "bmc", &state), status::ok);
    EXPECT_EQ(waits.waits(), (std::vector<DWORD>{3000, 3000})) << "a tenth of the wait hint";
}

TEST_F(DriverServicesTest, StartPendingEndsWhenTheCheckPointStandsStill) {
    process_state().internal_start = true;
    script.statuses = {pending(4, 500), pending(4, 500), running()};
    std::int32_t state;
    EXPECT_EQ(HCXDynamicDriverStart(own_path().c_str(), "bmc", &state), status::service_not_started);
    EXPECT_EQ(waits.waits(), (std::vector<DWORD>{1000})) << "at least 1000 ms";
}

TEST_F(DriverServicesTest, StartPendingEndsWhenTheWaitHintHasPassed) {
    process_state().internal_start = true;
    script.statuses = {pending(1, 200000), pending(2, 200000), pending(3, 200000)};
    platform().sleep = [](DWORD milliseconds) { script.ticks += milliseconds * 30; };
    std::int32_t state;
    EXPECT_EQ(HCXDynamicDriverStart(own_path().c_str(), "bmc", &state), status::service_not_started);
    EXPECT_EQ(script.status_query, 2u) << "waits of 10000 ms (the most), the hint passed after the first";
}

TEST_F(DriverServicesTest, FourteenRefusedStartsGiveUpWithoutWaiting) {
    process_state().internal_start = true;
    script.start_failures = 100;
    std::int32_t state;
    EXPECT_EQ(HCXDynamicDriverStart(own_path().c_str(), "NoSuchServiceKey", &state), status::service_not_started);
    EXPECT_EQ(std::count(script.calls.begin(), script.calls.end(), "start"), 14);
    EXPECT_TRUE(waits.waits().empty());
}

TEST_F(DriverServicesTest, AlreadyRunningIsSuccess) {
    process_state().internal_start = true;
    script.start_failures = 1;
    script.start_error = ERROR_SERVICE_ALREADY_RUNNING;
    std::int32_t state;
    EXPECT_EQ(HCXDynamicDriverStart(own_path().c_str(), "bmc", &state), status::ok);
    EXPECT_EQ(std::count(script.calls.begin(), script.calls.end(), "query"), 0);
}

TEST_F(DriverServicesTest, MissingDriverFileIsFoundBeforeTheManagerIsOpened) {
    std::int32_t state = 5;
    EXPECT_EQ(HCXDynamicDriverStart("C:\\windows\\system32\\drivers\\no-such-driver.sys", "bmc", &state),
              status::driver_not_found);
    EXPECT_TRUE(script.calls.empty());
    EXPECT_EQ(HCXDynamicDriverStart(nullptr, "bmc", &state), status::bad_argument);
    EXPECT_EQ(HCXDynamicDriverStart("x", "bmc", nullptr), status::bad_argument);
}

}  // namespace
}  // namespace mgx::hal
