#pragma once

#include <jni.h>

#include <string>

namespace launcher {

struct MainInvocation {
    enum class End {
        returned,  // main was called and returned normally
        notFound,  // the main class or its main method was not found
        threw,     // main ended by an uncaught exception (handed to its thread's handlers)
    };
    End end = End::returned;
    std::string boxText;  // why, when main did not return normally: for the launch sequence
};

// Finds main.class and its static main(String[]) and calls it with the process arguments.
MainInvocation invokeMainClass();

}  // namespace launcher
