// POSIX only.
#include <chrono>
#include <thread>

#include "platform/sleep.h"

namespace platform {

void sleepMilliseconds(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
