#pragma once

#include <jni.h>

namespace launcher {

enum class MainInvocation {
    returned,  // main was called and returned normally
    notFound,  // the main class or its main method was not found (a box was shown)
    threw,     // main ended by an uncaught exception (handed to its thread's handlers, a box shown)
};

// Finds main.class and its static main(String[]) and calls it with the process arguments.
MainInvocation invokeMainClass();

// The process command line as a Java String[], the program's own name first.
jobjectArray buildMainArgs();

}  // namespace launcher
