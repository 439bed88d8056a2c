// A loadable library without JNI_CreateJavaVM, for the launcher's "not a JVM" path.
#include <jni.h>

extern "C" JNIEXPORT jint JNICALL StubNotAJvm() {
    return 0;
}
