#include "jvm/jvm_state.h"

namespace launcher {

JavaVMOption* vmOptions = nullptr;
jint vmOptionCount = 0;
void* jvmLibrary = nullptr;
CreateJavaVMFunction createJavaVMEntry = nullptr;
JavaVM* javaVM = nullptr;
JNIEnv* jniEnv = nullptr;
jclass mainClass = nullptr;
jmethodID mainMethod = nullptr;

}  // namespace launcher
