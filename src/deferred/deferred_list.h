#pragma once

namespace launcher {

// How long a start waits for another one that carries out the list: its retry budget and
// ample time for the operations themselves. A start that is stopped (Ctrl+Z) or stuck holds
// the others back no longer than this.
constexpr unsigned exclusionWaitMs = 30000;

// Loads and carries out the deferred list as loadDeferredOperations and runDeferredOperations
// do, one launcher of the installation at a time: a start that finds another one working on
// the list waits until it has finished, then goes on with what that one left (normally no list).
// A start that finds none of the list's files takes no lock; one that can't have the exclusion
// within exclusionWaitMs leaves the list alone, says why (on standard output and in a box) and
// goes on.
void carryOutDeferredList();

}  // namespace launcher
