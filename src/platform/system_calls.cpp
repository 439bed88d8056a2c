#include "platform/system_calls.h"

#include "platform/file_operations.h"
#include "platform/mapped_file.h"
#include "platform/sleep.h"

namespace platform {

const SystemCalls& realSystemCalls() {
    static const SystemCalls real{pathExists,        removeFile, renameFile,    removeDirectory,
                                  sleepMilliseconds, syncFile,   syncDirectory, syncMappedFile};
    return real;
}

SystemCalls& systemCalls() {
    static SystemCalls current = realSystemCalls();
    return current;
}

}  // namespace platform
