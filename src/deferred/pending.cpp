// Temporary: replaced by the deferred operations implementation.
#include "deferred/deferred_operations.h"
namespace launcher {
void runDeferredOperations() {}
}  // namespace launcher
