#pragma once

#include "platform/durable_files.h"

namespace testing_support {

// The system-call table as it is now, for replacing entries while this object lives; afterwards
// the table is what it was before, whatever path leaves the scope.
class ScopedSystemCalls {
  public:
    ScopedSystemCalls() : saved_(platform::systemCalls()) {}
    ~ScopedSystemCalls() { platform::systemCalls() = saved_; }
    ScopedSystemCalls(const ScopedSystemCalls&) = delete;
    ScopedSystemCalls& operator=(const ScopedSystemCalls&) = delete;

    platform::SystemCalls* operator->() const { return &platform::systemCalls(); }

  private:
    platform::SystemCalls saved_;
};

}  // namespace testing_support
