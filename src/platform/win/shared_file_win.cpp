// Windows only.
#include <share.h>

#include "platform/shared_file.h"

namespace platform {

std::FILE* openSharedForReading(const std::string& path) {
    return _fsopen(path.c_str(), "rb", _SH_DENYNO);
}

}  // namespace platform
