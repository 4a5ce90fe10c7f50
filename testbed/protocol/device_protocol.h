/* Wire protocol between the testbed's stand-in kernel drivers and the virtual server.
 *
 * Every device request a driver receives is forwarded as one request frame over the byte-mode
 * pipe below; the server answers with one reply frame. Shared by C (drivers) and C++ (server,
 * tests), so it holds only plain C. */
#ifndef MGX_TESTBED_DEVICE_PROTOCOL_H
#define MGX_TESTBED_DEVICE_PROTOCOL_H

#include <stdint.h>

#define MGXTB_PIPE_FOLDER_NT L"\\??\\pipe\\"
#define MGXTB_DEVICE_PIPE_LEAF_NT L"MgxTestbedDevice"
#define MGXTB_DEVICE_PIPE_NT MGXTB_PIPE_FOLDER_NT MGXTB_DEVICE_PIPE_LEAF_NT
#define MGXTB_DEVICE_PIPE "\\\\.\\pipe\\MgxTestbedDevice"
#define MGXTB_CONTROL_PIPE "\\\\.\\pipe\\MgxTestbedControl"

/* Which stand-in driver forwarded the request. */
enum MgxtbDevice {
    MgxtbDeviceImb = 1,   /* "\\.\imbdrv"  */
    MgxtbDeviceBmc = 2,   /* "\\.\BMC"     */
    MgxtbDeviceSmbus = 3, /* "\\.\SMBUS2"  */
};

/* Device request codes the drivers understand (all METHOD_BUFFERED). */
#define MGXTB_IOCTL_SMBUS_TRANSFER 0x80102004u /* write or read packet, 77 bytes each way */
#define MGXTB_IOCTL_SMBUS_LOCK 0x80102020u
#define MGXTB_IOCTL_SMBUS_UNLOCK 0x80102024u
#define MGXTB_IOCTL_BMC_IPMI 0x80002004u
#define MGXTB_IOCTL_BMC_MAP_MEMORY 0x80002038u
#define MGXTB_IOCTL_BMC_UNMAP_MEMORY 0x80002040u
#define MGXTB_IOCTL_IMB_SEND_MESSAGE 0x80112004u /* the IMB driver's own request, see below */

/* Pseudo request code a driver sends from its entry point: may it start? The reply status is
 * the entry point's result (a fault can make the start fail). */
#define MGXTB_CODE_DRIVER_START 0u

#define MGXTB_FRAME_MAGIC 0x4458474Du /* "MGXD" */
#define MGXTB_MAX_INPUT 4096u
#define MGXTB_MAX_OUTPUT 0x100000u /* large enough for a mapped physical memory range */

#pragma pack(push, 1)
typedef struct MgxtbRequestHeader {
    uint32_t magic;
    uint32_t device;          /* enum MgxtbDevice */
    uint32_t code;            /* device request code */
    uint32_t process_id;      /* process that made the request */
    uint32_t input_length;    /* bytes that follow this header */
    uint32_t output_capacity; /* caller's output buffer size */
} MgxtbRequestHeader;

typedef struct MgxtbReplyHeader {
    uint32_t magic;
    int32_t status;         /* NTSTATUS the request completes with */
    uint32_t output_length; /* bytes that follow; never above the request's output capacity */
} MgxtbReplyHeader;

/* Input of MGXTB_IOCTL_IMB_SEND_MESSAGE, followed by data_length bytes of request data.
 * Output: completion code, then the response data. */
typedef struct MgxtbImbMessage {
    uint32_t timeout_ms;
    uint8_t responder_address;
    uint8_t network_function;
    uint8_t responder_lun;
    uint8_t command;
    uint8_t bus_type;
    uint8_t data_length;
} MgxtbImbMessage;

/* Input of MGXTB_IOCTL_BMC_MAP_MEMORY; the output is the 4-byte mapped address. */
typedef struct MgxtbPhysicalMemoryRequest {
    uint32_t interface_type;
    uint32_t bus_number;
    uint64_t physical_address;
    uint32_t address_space;
    uint32_t length;
} MgxtbPhysicalMemoryRequest;
#pragma pack(pop)

#ifdef __cplusplus
#include <cstddef>
#define MGXTB_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#include <stddef.h>
#define MGXTB_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif
MGXTB_STATIC_ASSERT(sizeof(MgxtbRequestHeader) == 24, "request header layout");
MGXTB_STATIC_ASSERT(offsetof(MgxtbRequestHeader, output_capacity) == 20, "request header layout");
MGXTB_STATIC_ASSERT(sizeof(MgxtbReplyHeader) == 12, "reply header layout");
MGXTB_STATIC_ASSERT(sizeof(MgxtbImbMessage) == 10, "IMB message layout");
MGXTB_STATIC_ASSERT(offsetof(MgxtbImbMessage, data_length) == 9, "IMB message layout");
MGXTB_STATIC_ASSERT(sizeof(MgxtbPhysicalMemoryRequest) == 24, "physical memory request layout");
MGXTB_STATIC_ASSERT(offsetof(MgxtbPhysicalMemoryRequest, physical_address) == 8, "physical memory request layout");
MGXTB_STATIC_ASSERT(offsetof(MgxtbPhysicalMemoryRequest, address_space) == 16, "physical memory request layout");
MGXTB_STATIC_ASSERT(offsetof(MgxtbPhysicalMemoryRequest, length) == 20, "physical memory request layout");

#endif
