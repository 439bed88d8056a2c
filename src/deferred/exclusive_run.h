#pragma once

namespace launcher {

// Loads and carries out the deferred list as loadDeferredOperations and runDeferredOperations
// do, one launcher of the installation at a time: a start that finds another one working on
// the list waits until it has finished, then goes on with what that one left (normally no list).
// A start without a list takes no lock; one that can't have the exclusion leaves the list alone,
// says why (on standard output and in a box) and goes on.
void loadAndRunDeferredOperations();

}  // namespace launcher
