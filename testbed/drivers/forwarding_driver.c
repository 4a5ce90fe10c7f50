/* Stand-in kernel driver: creates one device and forwards every device request to the
 * testbed's virtual server over a named pipe, completing the request with the server's answer.
 *
 * Built once per device; MGXTB_DEVICE_NAME (the device and link name) and MGXTB_DEVICE_KIND
 * (enum MgxtbDevice) select which. The BMC build also maps the physical memory ranges the server
 * supplies into the requesting process. A request the server does not answer fails with
 * STATUS_DEVICE_NOT_CONNECTED, as a request to absent hardware would. */
#include <ntifs.h>

#include "device_protocol.h"

#ifndef MGXTB_DEVICE_NAME
#error MGXTB_DEVICE_NAME must name the device, e.g. L"SMBUS2"
#endif
#ifndef MGXTB_DEVICE_KIND
#error MGXTB_DEVICE_KIND must be one of enum MgxtbDevice
#endif

#define POOL_TAG 0x6274674D /* "Mgtb" */

static PDEVICE_OBJECT device_object;
static HANDLE server_pipe;
static FAST_MUTEX server_pipe_lock; /* one request on the pipe at a time */

static void close_server_pipe(void)
{
    if (server_pipe) {
        ZwClose(server_pipe);
        server_pipe = NULL;
    }
}

static NTSTATUS open_pipe(HANDLE *pipe, const WCHAR *path, ACCESS_MASK access, ULONG share, ULONG options)
{
    UNICODE_STRING name;
    OBJECT_ATTRIBUTES attributes;
    IO_STATUS_BLOCK io;
    RtlInitUnicodeString(&name, path);
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    return ZwCreateFile(pipe, access | SYNCHRONIZE, &attributes, &io, NULL, FILE_ATTRIBUTE_NORMAL, share, FILE_OPEN,
                        FILE_SYNCHRONOUS_IO_NONALERT | options, NULL, 0);
}

/* Every instance of the server's pipe is taken while its listeners are between two clients.
 * Like any pipe client, the driver then waits (at most five seconds) for one to listen again. */
static NTSTATUS wait_for_server_pipe(void)
{
    struct {
        FILE_PIPE_WAIT_FOR_BUFFER wait;
        WCHAR name[sizeof MGXTB_DEVICE_PIPE_LEAF_NT / sizeof(WCHAR)];
    } request;
    IO_STATUS_BLOCK io;
    HANDLE folder;
    NTSTATUS status =
        open_pipe(&folder, MGXTB_PIPE_FOLDER_NT, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
    if (!NT_SUCCESS(status)) return status;
    RtlZeroMemory(&request, sizeof request);
    request.wait.Timeout.QuadPart = -5LL * 10 * 1000 * 1000; /* relative, in 100 ns */
    request.wait.TimeoutSpecified = TRUE;
    request.wait.NameLength = sizeof MGXTB_DEVICE_PIPE_LEAF_NT - sizeof(WCHAR);
    RtlCopyMemory(request.wait.Name, MGXTB_DEVICE_PIPE_LEAF_NT, request.wait.NameLength);
    status = ZwFsControlFile(folder, NULL, NULL, NULL, &io, FSCTL_PIPE_WAIT, &request, sizeof request, NULL, 0);
    ZwClose(folder);
    return status;
}

static NTSTATUS open_server_pipe(void)
{
    NTSTATUS status =
        open_pipe(&server_pipe, MGXTB_DEVICE_PIPE_NT, GENERIC_READ | GENERIC_WRITE, 0, FILE_NON_DIRECTORY_FILE);
    if (status == STATUS_PIPE_NOT_AVAILABLE || status == STATUS_INSTANCE_NOT_AVAILABLE || status == STATUS_PIPE_BUSY) {
        if (NT_SUCCESS(wait_for_server_pipe()))
            status =
                open_pipe(&server_pipe, MGXTB_DEVICE_PIPE_NT, GENERIC_READ | GENERIC_WRITE, 0, FILE_NON_DIRECTORY_FILE);
    }
    return status;
}

static NTSTATUS write_all(const UCHAR *bytes, ULONG length)
{
    while (length) {
        IO_STATUS_BLOCK io;
        NTSTATUS status = ZwWriteFile(server_pipe, NULL, NULL, NULL, &io, (PVOID)bytes, length, NULL, NULL);
        if (!NT_SUCCESS(status)) return status;
        if (io.Information == 0 || io.Information > length) return STATUS_PIPE_BROKEN;
        bytes += io.Information;
        length -= (ULONG)io.Information;
    }
    return STATUS_SUCCESS;
}

static NTSTATUS read_all(UCHAR *bytes, ULONG length)
{
    while (length) {
        IO_STATUS_BLOCK io;
        NTSTATUS status = ZwReadFile(server_pipe, NULL, NULL, NULL, &io, bytes, length, NULL, NULL);
        if (!NT_SUCCESS(status)) return status;
        if (io.Information == 0 || io.Information > length) return STATUS_PIPE_BROKEN;
        bytes += io.Information;
        length -= (ULONG)io.Information;
    }
    return STATUS_SUCCESS;
}

/* Sends one request frame and receives the reply into output (at most output_capacity bytes).
 * A connection left over from an earlier server process is replaced once before sending; the
 * request itself is sent exactly once. The server writes each reply in one piece, so one read
 * into a buffer for header and output usually takes all of it. */
static NTSTATUS forward_locked(const UCHAR *frame, ULONG frame_length, UCHAR *reply_buffer, ULONG output_capacity,
                               ULONG *output_length, NTSTATUS *reply_status)
{
    MgxtbReplyHeader reply;
    IO_STATUS_BLOCK io;
    ULONG received = 0;
    NTSTATUS status = STATUS_PIPE_BROKEN;
    if (server_pipe) status = write_all(frame, frame_length);
    if (!NT_SUCCESS(status)) {
        close_server_pipe();
        if (!NT_SUCCESS(open_server_pipe())) {
            server_pipe = NULL;
            return STATUS_DEVICE_NOT_CONNECTED;
        }
        status = write_all(frame, frame_length);
    }
    if (NT_SUCCESS(status)) {
        status =
            ZwReadFile(server_pipe, NULL, NULL, NULL, &io, reply_buffer, sizeof reply + output_capacity, NULL, NULL);
        received = (ULONG)io.Information;
        if (NT_SUCCESS(status) && (received == 0 || received > sizeof reply + output_capacity))
            status = STATUS_PIPE_BROKEN;
    }
    if (NT_SUCCESS(status) && received < sizeof reply)
        status = read_all(reply_buffer + received, sizeof reply - received);
    if (NT_SUCCESS(status)) {
        if (received < sizeof reply) received = sizeof reply;
        RtlCopyMemory(&reply, reply_buffer, sizeof reply);
        if (reply.magic != MGXTB_FRAME_MAGIC || reply.output_length > output_capacity ||
            received > sizeof reply + reply.output_length)
            status = STATUS_INVALID_NETWORK_RESPONSE;
    }
    if (NT_SUCCESS(status)) status = read_all(reply_buffer + received, sizeof reply + reply.output_length - received);
    if (!NT_SUCCESS(status)) {
        close_server_pipe();
        return STATUS_DEVICE_NOT_CONNECTED;
    }
    *output_length = reply.output_length;
    *reply_status = reply.status;
    return STATUS_SUCCESS;
}

/* Forwards one request; returns the status the request completes with. */
static NTSTATUS forward(ULONG code, const UCHAR *input, ULONG input_length, UCHAR *output, ULONG output_capacity,
                        ULONG *output_length)
{
    MgxtbRequestHeader header;
    UCHAR *frame, *reply;
    NTSTATUS status, reply_status = STATUS_SUCCESS;

    *output_length = 0;
    if (input_length > MGXTB_MAX_INPUT || output_capacity > MGXTB_MAX_OUTPUT) return STATUS_INVALID_PARAMETER;
    header.magic = MGXTB_FRAME_MAGIC;
    header.device = MGXTB_DEVICE_KIND;
    header.code = code;
    header.process_id = (uint32_t)(ULONG_PTR)PsGetCurrentProcessId();
    header.input_length = input_length;
    header.output_capacity = output_capacity;

    frame = ExAllocatePoolWithTag(PagedPool, sizeof header + input_length, POOL_TAG);
    reply = ExAllocatePoolWithTag(PagedPool, sizeof(MgxtbReplyHeader) + output_capacity, POOL_TAG);
    if (!frame || !reply) {
        if (frame) ExFreePool(frame);
        if (reply) ExFreePool(reply);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    RtlCopyMemory(frame, &header, sizeof header);
    if (input_length) RtlCopyMemory(frame + sizeof header, input, input_length);

    ExAcquireFastMutex(&server_pipe_lock);
    status = forward_locked(frame, sizeof header + input_length, reply, output_capacity, output_length, &reply_status);
    ExReleaseFastMutex(&server_pipe_lock);
    if (NT_SUCCESS(status) && NT_SUCCESS(reply_status) && *output_length)
        RtlCopyMemory(output, reply + sizeof(MgxtbReplyHeader), *output_length);
    ExFreePool(frame);
    ExFreePool(reply);
    if (!NT_SUCCESS(status)) return status;
    if (!NT_SUCCESS(reply_status)) *output_length = 0;
    return reply_status;
}

static NTSTATUS open_requester(HANDLE *process)
{
    OBJECT_ATTRIBUTES attributes;
    CLIENT_ID client;
    InitializeObjectAttributes(&attributes, NULL, OBJ_KERNEL_HANDLE, NULL, NULL);
    client.UniqueProcess = PsGetCurrentProcessId();
    client.UniqueThread = NULL;
    return ZwOpenProcess(process, PROCESS_ALL_ACCESS, &attributes, &client);
}

/* Places length bytes of content into a new section and maps it read-only into the requesting
 * process below 4 GiB; the view keeps the section alive after its handle is closed. */
static NTSTATUS map_into_requester(const UCHAR *content, ULONG length, uint32_t *address)
{
    HANDLE section, process;
    LARGE_INTEGER size;
    PVOID local = NULL, remote = NULL;
    SIZE_T view = 0;
    NTSTATUS status;

    size.QuadPart = length;
    status = ZwCreateSection(&section, SECTION_ALL_ACCESS, NULL, &size, PAGE_READWRITE, SEC_COMMIT, NULL);
    if (!NT_SUCCESS(status)) return status;
    status = ZwMapViewOfSection(section, NtCurrentProcess(), &local, 0, 0, NULL, &view, ViewUnmap, 0, PAGE_READWRITE);
    if (NT_SUCCESS(status)) {
        RtlCopyMemory(local, content, length);
        ZwUnmapViewOfSection(NtCurrentProcess(), local);
        status = open_requester(&process);
    }
    if (NT_SUCCESS(status)) {
        view = 0;
        status = ZwMapViewOfSection(section, process, &remote, 0x7FFFFFFF, 0, NULL, &view, ViewUnmap, 0, PAGE_READONLY);
        if (NT_SUCCESS(status) && (ULONG_PTR)remote > 0xFFFFFFFFu) {
            ZwUnmapViewOfSection(process, remote);
            status = STATUS_CONFLICTING_ADDRESSES;
        }
        ZwClose(process);
    }
    ZwClose(section);
    if (NT_SUCCESS(status)) *address = (uint32_t)(ULONG_PTR)remote;
    return status;
}

static NTSTATUS map_memory(PIRP irp, ULONG input_length, ULONG output_capacity)
{
    MgxtbPhysicalMemoryRequest request;
    UCHAR *content;
    ULONG received;
    uint32_t address = 0;
    NTSTATUS status;

    if (input_length != sizeof request || output_capacity < sizeof address) return STATUS_INVALID_PARAMETER;
    RtlCopyMemory(&request, irp->AssociatedIrp.SystemBuffer, sizeof request);
    if (request.length == 0 || request.length > MGXTB_MAX_OUTPUT) return STATUS_INVALID_PARAMETER;
    content = ExAllocatePoolWithTag(PagedPool, request.length, POOL_TAG);
    if (!content) return STATUS_INSUFFICIENT_RESOURCES;
    status = forward(MGXTB_IOCTL_BMC_MAP_MEMORY, (const UCHAR *)&request, sizeof request, content, request.length,
                     &received);
    if (NT_SUCCESS(status) && received != request.length) status = STATUS_INVALID_NETWORK_RESPONSE;
    if (NT_SUCCESS(status)) status = map_into_requester(content, request.length, &address);
    ExFreePool(content);
    if (NT_SUCCESS(status)) {
        RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, &address, sizeof address);
        irp->IoStatus.Information = sizeof address;
    }
    return status;
}

static NTSTATUS unmap_memory(PIRP irp, ULONG input_length)
{
    uint32_t address;
    ULONG received;
    HANDLE process;
    NTSTATUS status;

    if (input_length != sizeof address) return STATUS_INVALID_PARAMETER;
    RtlCopyMemory(&address, irp->AssociatedIrp.SystemBuffer, sizeof address);
    status = forward(MGXTB_IOCTL_BMC_UNMAP_MEMORY, (const UCHAR *)&address, sizeof address, NULL, 0, &received);
    if (!NT_SUCCESS(status)) return status;
    status = open_requester(&process);
    if (!NT_SUCCESS(status)) return status;
    status = ZwUnmapViewOfSection(process, (PVOID)(ULONG_PTR)address);
    ZwClose(process);
    return status;
}

static NTSTATUS complete(PIRP irp, NTSTATUS status)
{
    irp->IoStatus.Status = status;
    if (!NT_SUCCESS(status)) irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS WINAPI dispatch_create_close(PDEVICE_OBJECT device, PIRP irp)
{
    (void)device;
    irp->IoStatus.Information = 0;
    return complete(irp, STATUS_SUCCESS);
}

static NTSTATUS WINAPI dispatch_device_control(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG input_length = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG output_capacity = stack->Parameters.DeviceIoControl.OutputBufferLength;
    ULONG output_length = 0;
    NTSTATUS status;
    (void)device;

    irp->IoStatus.Information = 0;
    if (MGXTB_DEVICE_KIND == MgxtbDeviceBmc && code == MGXTB_IOCTL_BMC_MAP_MEMORY)
        return complete(irp, map_memory(irp, input_length, output_capacity));
    if (MGXTB_DEVICE_KIND == MgxtbDeviceBmc && code == MGXTB_IOCTL_BMC_UNMAP_MEMORY)
        return complete(irp, unmap_memory(irp, input_length));
    if ((code & 3) != METHOD_BUFFERED || code == MGXTB_CODE_DRIVER_START)
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST);

    /* METHOD_BUFFERED: input and output share the system buffer. */
    status = forward(code, irp->AssociatedIrp.SystemBuffer, input_length, irp->AssociatedIrp.SystemBuffer,
                     output_capacity, &output_length);
    irp->IoStatus.Information = output_length;
    return complete(irp, status);
}

static void WINAPI driver_unload(PDRIVER_OBJECT driver)
{
    UNICODE_STRING link;
    (void)driver;
    RtlInitUnicodeString(&link, L"\\DosDevices\\" MGXTB_DEVICE_NAME);
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(device_object);
    close_server_pipe();
}

/* Asks the server whether this start may succeed; an unreachable server lets it start, and its
 * requests then fail as absent hardware would. */
static NTSTATUS start_permission(void)
{
    ULONG received;
    NTSTATUS status = forward(MGXTB_CODE_DRIVER_START, NULL, 0, NULL, 0, &received);
    return status == STATUS_DEVICE_NOT_CONNECTED ? STATUS_SUCCESS : status;
}

NTSTATUS WINAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry_path)
{
    UNICODE_STRING device_name, link;
    NTSTATUS status;
    (void)registry_path;

    ExInitializeFastMutex(&server_pipe_lock);
    status = start_permission();
    if (!NT_SUCCESS(status)) {
        close_server_pipe();
        return status;
    }

    RtlInitUnicodeString(&device_name, L"\\Device\\" MGXTB_DEVICE_NAME);
    RtlInitUnicodeString(&link, L"\\DosDevices\\" MGXTB_DEVICE_NAME);
    status = IoCreateDevice(driver, 0, &device_name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device_object);
    if (!NT_SUCCESS(status)) return status;
    status = IoCreateSymbolicLink(&link, &device_name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device_object);
        return status;
    }
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create_close;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_create_close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_device_control;
    driver->DriverUnload = driver_unload;
    return STATUS_SUCCESS;
}
