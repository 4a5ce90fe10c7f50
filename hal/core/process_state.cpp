#include "process_state.h"

namespace mgx::hal {

ProcessState &process_state() {
    static ProcessState state;
    return state;
}

}  // namespace mgx::hal
