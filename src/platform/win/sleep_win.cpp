// Windows only.
#include <windows.h>

#include "platform/sleep.h"

namespace platform {

void sleepMilliseconds(unsigned milliseconds) {
    Sleep(milliseconds);
}

}  // namespace platform
