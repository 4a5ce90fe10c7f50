#include "inventory_state.h"

namespace mgx::hal {

InventoryState &inventory_state() {
    static InventoryState state;
    return state;
}

}  // namespace mgx::hal
