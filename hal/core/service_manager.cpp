#include "service_manager.h"

namespace mgx::hal {

ServiceManager system_service_manager() {
    return {&OpenSCManagerA, &LockServiceDatabase, &UnlockServiceDatabase, &QueryServiceLockStatusA,
            &CreateServiceA, &OpenServiceA,        &StartServiceA,         &QueryServiceStatus,
            &ControlService, &DeleteService,       &CloseServiceHandle};
}

ServiceManager &service_manager() {
    static ServiceManager current = system_service_manager();
    return current;
}

}  // namespace mgx::hal
