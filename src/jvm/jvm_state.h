#pragma once

// The process-wide JVM hosting state: the option array, the loaded library and the one
// virtual machine. Zero before the launch; written by the JVM steps only.

#include <jni.h>

namespace launcher {

using CreateJavaVMFunction = jint(JNICALL*)(JavaVM** vm, void** env, void* args);

extern JavaVMOption* vmOptions;  // malloc'd; released right after creation
extern jint vmOptionCount;
extern void* jvmLibrary;  // never unloaded
extern CreateJavaVMFunction createJavaVMEntry;
extern JavaVM* javaVM;
extern JNIEnv* jniEnv;
extern jclass mainClass;  // found by findMainMethod
extern jmethodID mainMethod;

}  // namespace launcher
