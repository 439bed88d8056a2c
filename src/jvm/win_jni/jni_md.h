// The machine-dependent part of jni.h for 64-bit Windows, for the cross build (the installed
// JDK's own jni_md.h is for Linux).
#ifndef LAUNCHER_WIN_JNI_MD_H
#define LAUNCHER_WIN_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
