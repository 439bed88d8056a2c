#pragma once

namespace platform {

void sleepMilliseconds(unsigned milliseconds);

}  // namespace platform
