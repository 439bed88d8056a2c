#include "jvm/main_class_invoker.h"

#include <string>
#include <vector>

#include "config/process_state.h"
#include "config/property_file.h"
#include "jvm/jvm_loader.h"
#include "jvm/jvm_state.h"
#include "platform/process_and_console.h"

namespace launcher {

namespace {

void describeAndClearException() {
    jniEnv->ExceptionDescribe();
    jniEnv->ExceptionClear();
}

// The process command line as a Java String[], the program's own name first.
jobjectArray buildMainArgs() {
    const std::vector<std::u16string> arguments = platform::processArguments();
    jclass stringClass = jniEnv->FindClass("java/lang/String");
    if (stringClass == nullptr)
        return nullptr;
    jobjectArray array =
        jniEnv->NewObjectArray(static_cast<jsize>(arguments.size()), stringClass, nullptr);
    if (array == nullptr)
        return nullptr;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        static_assert(sizeof(jchar) == sizeof(char16_t));
        jstring text = jniEnv->NewString(reinterpret_cast<const jchar*>(arguments[i].data()),
                                         static_cast<jsize>(arguments[i].size()));
        if (text == nullptr)
            return nullptr;
        jniEnv->SetObjectArrayElement(array, static_cast<jsize>(i), text);
        // The array holds it now; a local reference per argument would overrun the frame.
        jniEnv->DeleteLocalRef(text);
    }
    return array;
}

}  // namespace

StepResult findMainMethod() {
    const std::string className = getProperty(launchProps, "main.class");
    // A NUL would make the JVM look for the class named by the text before it.
    mainClass =
        className.find('\0') == std::string::npos ? jniEnv->FindClass(className.c_str()) : nullptr;
    if (mainClass == nullptr) {
        if (jniEnv->ExceptionOccurred() != nullptr)
            describeAndClearException();
        return StepResult::failed("Could not find main class " + className);
    }
    mainMethod = jniEnv->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (mainMethod == nullptr)
        return StepResult::failed("Could not find main method");
    return StepResult::done();
}

StepResult callMainMethod() {
    jobjectArray arguments = buildMainArgs();
    if (arguments == nullptr) {
        // The JVM could not make the array or one of its strings (out of memory): main was
        // never called, which is reported like a main that failed.
        if (jniEnv->ExceptionOccurred() != nullptr)
            describeAndClearException();
        detachMainThread();
        return StepResult::failed("Error invoking main method");
    }
    jniEnv->CallStaticVoidMethod(mainClass, mainMethod, arguments);
    const bool threw = jniEnv->ExceptionOccurred() != nullptr;
    // The exception stays pending: the detach hands it to the thread's handlers, which print
    // it (or end the process) before the box.
    detachMainThread();
    return threw ? StepResult::failed("Error invoking main method") : StepResult::done();
}

}  // namespace launcher
