#pragma once

namespace platform {

// The separator between directories that the removal of emptied directories walks up by.
char directorySeparator();

// The separator between class path elements in the JVM's class path option.
char pathListSeparator();

}  // namespace platform
