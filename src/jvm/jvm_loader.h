#pragma once

#include "config/step_result.h"

namespace launcher {

// Loads the library named by jvm.dll.path with jvm.bin.path as the current directory and finds
// its JNI_CreateJavaVM.
StepResult loadJvmLibrary();

// Creates the virtual machine from vmOptions and releases the options whatever the result.
StepResult createJvm();

// Detaches the thread that created the virtual machine, as the JDK's own launcher does once
// main is over: the Java thread "main" ends (whatever joins it goes on), and an exception
// still pending reaches that thread's uncaught-exception handlers, which may end the process.
void detachMainThread();

// Destroys the virtual machine; returns once its last non-daemon thread has ended.
void destroyJvm();

}  // namespace launcher
