// Stand-ins for what Halcore reaches outside itself, for focused tests: the waits, the device
// requests, the SMBIOS information library and the bmc library's pass-through. Each fake
// installs itself on construction and restores the real one on destruction.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"
#include "process_state.h"
#include "smbios_information.h"

namespace mgx::hal::testing {

using Bytes = std::vector<std::uint8_t>;

// Records every wait instead of waiting.
class RecordedWaits {
public:
    RecordedWaits();
    ~RecordedWaits();
    const std::vector<DWORD> &waits() const;
    std::size_t count(DWORD milliseconds) const;

private:
    void (*saved_)(DWORD);
};

// Device requests answered by a script: handler(code, input) returns false to fail the request,
// else may write the output.
class FakeDevice {
public:
    using Handler = std::function<bool(DWORD code, const Bytes &input, Bytes &output)>;
    explicit FakeDevice(Handler handler);
    ~FakeDevice();
    struct Call {
        DWORD code;
        Bytes input;
    };
    const std::vector<Call> &calls() const;
    std::size_t count(DWORD code) const;

private:
    decltype(Platform::device_io_control) saved_;
};

// The SMBIOS information library with a chosen baseboard.
class FakeSmbios {
public:
    FakeSmbios(std::string manufacturer, std::string product, bool present = true, int baseboards = 1);
    ~FakeSmbios();
    int calls() const;

private:
    SmbiosInformation saved_;
};

// The bmc library's IPMI_Cmd answered by a function of the request bytes; puts the process in
// back-end state 6 so requests take the bmc path.
class FakeUnit {
public:
    // The answer bytes (completion code first), or nullopt to make IPMI_Cmd fail.
    using Answer = std::function<std::optional<Bytes>(const Bytes &request)>;
    explicit FakeUnit(Answer answer);
    ~FakeUnit();
    const std::vector<Bytes> &requests() const;

private:
    ProcessState saved_;
};

// Puts the library's process-wide state back to how a fresh process has it.
void reset_process_state();

}  // namespace mgx::hal::testing
