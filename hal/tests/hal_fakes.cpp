#include "hal_fakes.h"

#include <algorithm>
#include <cstring>

#include "inventory_state.h"

namespace mgx::hal::testing {

namespace {

std::vector<DWORD> recorded_waits;
FakeDevice::Handler device_handler;
std::vector<FakeDevice::Call> device_calls;
std::string fake_manufacturer, fake_product;
bool fake_present = true;
int fake_baseboards = 1, smbios_calls = 0;
char manufacturer_buffer[256], product_buffer[256];
FakeUnit::Answer unit_answer;
std::vector<Bytes> unit_requests;

void record_wait(DWORD milliseconds) { recorded_waits.push_back(milliseconds); }

BOOL scripted_device(HANDLE, DWORD code, void *input, DWORD input_length, void *output, DWORD output_capacity, DWORD *returned) {
    Bytes in(static_cast<const std::uint8_t *>(input), static_cast<const std::uint8_t *>(input) + input_length);
    device_calls.push_back({code, in});
    Bytes out(static_cast<std::uint8_t *>(output), static_cast<std::uint8_t *>(output) + output_capacity);
    if (!device_handler(code, in, out)) {
        SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    }
    std::memcpy(output, out.data(), std::min<std::size_t>(out.size(), output_capacity));
    *returned = output_capacity;
    return TRUE;
}

int fake_is_present() {
    ++smbios_calls;
    return fake_present ? 1 : 0;
}
int fake_count(const char *) {
    ++smbios_calls;
    return fake_baseboards;
}
char *fake_get_string(const char *, int, int string_number) {
    ++smbios_calls;
    // A fresh writable copy each time, as the library hands out.
    char *buffer = string_number == 1 ? manufacturer_buffer : product_buffer;
    const std::string &text = string_number == 1 ? fake_manufacturer : fake_product;
    std::strncpy(buffer, text.c_str(), sizeof manufacturer_buffer - 1);
    return buffer;
}

std::uint32_t fake_ipmi_cmd(std::uint8_t *request, std::uint8_t *answer, std::uint32_t *length, std::uint32_t) {
    Bytes bytes(request, request + 4 + request[3]);
    unit_requests.push_back(bytes);
    std::optional<Bytes> reply = unit_answer(bytes);
    if (!reply) return ERROR_SEM_TIMEOUT;
    std::uint32_t count = std::min<std::uint32_t>(static_cast<std::uint32_t>(reply->size()), *length);
    std::memcpy(answer, reply->data(), count);
    *length = count;
    return 0;
}

}  // namespace

RecordedWaits::RecordedWaits() : saved_(platform().sleep) {
    recorded_waits.clear();
    platform().sleep = record_wait;
}
RecordedWaits::~RecordedWaits() { platform().sleep = saved_; }
const std::vector<DWORD> &RecordedWaits::waits() const { return recorded_waits; }
std::size_t RecordedWaits::count(DWORD milliseconds) const {
    return std::count(recorded_waits.begin(), recorded_waits.end(), milliseconds);
}

FakeDevice::FakeDevice(Handler handler) : saved_(platform().device_io_control) {
    device_handler = std::move(handler);
    device_calls.clear();
    platform().device_io_control = scripted_device;
}
FakeDevice::~FakeDevice() { platform().device_io_control = saved_; }
const std::vector<FakeDevice::Call> &FakeDevice::calls() const { return device_calls; }
std::size_t FakeDevice::count(DWORD code) const {
    return std::count_if(device_calls.begin(), device_calls.end(), [code](const Call &call) { return call.code == code; });
}

FakeSmbios::FakeSmbios(std::string manufacturer, std::string product, bool present, int baseboards)
    : saved_(smbios_information()) {
    fake_manufacturer = std::move(manufacturer);
    fake_product = std::move(product);
    fake_present = present;
    fake_baseboards = baseboards;
    smbios_calls = 0;
    smbios_information() = {fake_is_present, fake_count, fake_get_string};
}
FakeSmbios::~FakeSmbios() { smbios_information() = saved_; }
int FakeSmbios::calls() const { return smbios_calls; }

FakeUnit::FakeUnit(Answer answer) : saved_(process_state()) {
    unit_answer = std::move(answer);
    unit_requests.clear();
    process_state().back_end_state = BmcUp;
    process_state().ipmi_cmd = fake_ipmi_cmd;
}
FakeUnit::~FakeUnit() { process_state() = saved_; }
const std::vector<Bytes> &FakeUnit::requests() const { return unit_requests; }

void reset_process_state() {
    process_state() = ProcessState{};
    inventory_state() = InventoryState{};
}

}  // namespace mgx::hal::testing
