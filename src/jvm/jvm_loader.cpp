#include "jvm/jvm_loader.h"

#include "config/process_state.h"
#include "config/property_file.h"
#include "jvm/jvm_options.h"
#include "jvm/jvm_state.h"
#include "platform/files_and_directories.h"
#include "platform/libraries_and_texts.h"
#include "platform/process_and_console.h"

namespace launcher {

StepResult loadJvmLibrary() {
    const std::string binPath = getProperty(launchProps, "jvm.bin.path");
    const std::string dllPath = getProperty(launchProps, "jvm.dll.path");

    // The JVM library finds its own dependencies relative to its bin directory while it loads.
    // Not examined: the load itself tells whether the library and its dependencies were found.
    (void)platform::setCurrentDirectory(binPath);
    jvmLibrary = platform::loadLibrary(dllPath);
    if (jvmLibrary != nullptr) {
        (void)platform::setCurrentDirectory(exeDir);  // it was current before
        createJavaVMEntry = reinterpret_cast<CreateJavaVMFunction>(
            platform::findSymbol(jvmLibrary, "JNI_CreateJavaVM"));
    }
    if (createJavaVMEntry == nullptr)
        return StepResult::failed("Failed to load VM DLL " + dllPath);
    return StepResult::done();
}

StepResult createJvm() {
    JavaVMInitArgs args;
    args.version = JNI_VERSION_1_2;
    args.nOptions = vmOptionCount;
    args.options = vmOptions;
    args.ignoreUnrecognized = JNI_FALSE;
    // The JVM sets up its own handling of broken pipes, from what the process inherited.
    platform::restoreBrokenPipes();
    const jint result = createJavaVMEntry(&javaVM, reinterpret_cast<void**>(&jniEnv), &args);
    releaseVmOptions();
    if (result != JNI_OK) {
        platform::ignoreBrokenPipes();
        return StepResult::failed("Failed to create VM: error code " + std::to_string(result) +
                                  ".\n");
    }
    return StepResult::done();
}

void detachMainThread() {
    javaVM->DetachCurrentThread();
    jniEnv = nullptr;
}

void destroyJvm() {
    javaVM->DestroyJavaVM();
}

}  // namespace launcher
