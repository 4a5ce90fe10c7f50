#include "service_pipe.h"

#include "win32/unique_handle.h"

namespace mgx::service {

DWORD monitoring_service_process() {
    const win32::UniqueServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return 0;
    const win32::UniqueServiceHandle service(OpenServiceA(manager.get(), monitoring_service, SERVICE_QUERY_STATUS));
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!service ||
        !QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE *>(&status), sizeof status, &needed))
        return 0;
    return status.dwCurrentState == SERVICE_RUNNING ? status.dwProcessId : 0;
}

namespace {

win32::UniqueHandle connect(const char *pipe) {
    for (;;) {
        win32::UniqueHandle client(CreateFileA(pipe, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                               SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
        if (client || GetLastError() != ERROR_PIPE_BUSY) return client;
        if (!WaitNamedPipeA(pipe, NMPWAIT_WAIT_FOREVER)) return {};
    }
}

}  // namespace

bool call_monitoring_service(const char *pipe, const void *message, DWORD size, void *reply, DWORD capacity) {
    const win32::UniqueHandle client = connect(pipe);
    if (!client) return false;
    ULONG server = 0;
    if (!GetNamedPipeServerProcessId(client.get(), &server) || server == 0 || server != monitoring_service_process())
        return false;
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(client.get(), &mode, nullptr, nullptr)) return false;
    DWORD read = 0;
    return TransactNamedPipe(client.get(), const_cast<void *>(message), size, reply, capacity, &read, nullptr) != FALSE;
}

}  // namespace mgx::service
