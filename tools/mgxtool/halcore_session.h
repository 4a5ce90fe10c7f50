// One use of Halcore: initialised on construction, shut down on destruction.
#pragma once

#include <cstdint>
#include <string>

namespace mgx::tool {

class HalcoreSession {
public:
    HalcoreSession();
    HalcoreSession(const HalcoreSession &) = delete;
    HalcoreSession &operator=(const HalcoreSession &) = delete;
    ~HalcoreSession();

    std::int32_t init_status() const { return init_status_; }
    std::int32_t back_end_state() const { return back_end_state_; }
    // The states in which management-unit commands can be sent: 2, 3, 4 and 6.
    bool usable() const;
    // Shuts down now (instead of at destruction) and returns HCXFreeImbSmbDll's status.
    std::int32_t shut_down();

private:
    std::int32_t init_status_ = 0;
    std::int32_t back_end_state_ = 0;
    bool open_ = true;
};

// "Intel, IMB request library" and the like, for a back-end state.
std::string describe_back_end(std::int32_t state);

}  // namespace mgx::tool
