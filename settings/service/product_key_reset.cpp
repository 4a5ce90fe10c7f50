#include "product_key_reset.h"

#include "service_requests.h"

namespace mgx::service {

ResetResult reset_product_key(const store::DefaultsContext &context, const std::function<bool()> &confirmed,
                              const std::function<void()> &before_writing) {
    if (!confirmed()) return {ResetOutcome::Declined, 0};
    if (monitoring_service_answers()) return {ResetOutcome::ServiceRunning, 0};
    if (before_writing) before_writing();
    return {ResetOutcome::Written, store::WriteRegistryDefaults(context)};
}

}  // namespace mgx::service
