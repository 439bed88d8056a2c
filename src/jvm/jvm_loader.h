#pragma once

#include <string>
#include <utility>

namespace launcher {

// What a hosting step gives back: done, or failed with the text of the box that says why, for
// the launch sequence to show.
class [[nodiscard]] StepResult {
  public:
    static StepResult done() { return StepResult(false, {}); }
    static StepResult failed(std::string boxText) { return StepResult(true, std::move(boxText)); }

    bool failed() const { return failed_; }
    const std::string& boxText() const { return boxText_; }

  private:
    StepResult(bool failed, std::string boxText) : failed_(failed), boxText_(std::move(boxText)) {}

    bool failed_;
    std::string boxText_;
};

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
