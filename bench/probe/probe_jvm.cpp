// A JVM library for benchmarks only. It does no work of its own, so that the time and memory
// the launcher spends around it can be measured from inside the process:
//   - JNI_CreateJavaVM notes the monotonic clock and the peak resident set (VmHWM) first thing;
//   - main returns at once and notes the clock as it returns;
//   - DestroyJavaVM notes the clock;
//   - the library's destructor, which runs among the last steps of exit(), notes the clock and
//     writes one line to the file named by BENCH_PROBE_RECORD.
// The line holds name=value pairs, times in nanoseconds of CLOCK_MONOTONIC (one clock for every
// process of the machine, so the harness can compare them with its own):
//   exec=      BENCH_EXEC_NS as the harness passed it (taken just before execve), or 0
//   entry=     the mark of the preloaded entry probe (benchEntryNanoseconds), or 0
//   load=      how long the launcher's dlopen calls took, as the entry probe measured them
//   create=    JNI_CreateJavaVM called
//   hwm_kb=    VmHWM at that moment
//   options=   nOptions received
//   returned=  main returned
//   destroyed= DestroyJavaVM called
//   exit=      the library's destructor
// With BENCH_PROBE_SMAPS set, /proc/self/smaps at JNI_CreateJavaVM is copied to that file.
#define _JNI_IMPLEMENTATION_
#include <dlfcn.h>
#include <jni.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long long now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

struct Marks {
    long long exec = 0;
    long long entry = 0;
    long long load = 0;
    long long create = 0;
    long long hwmKb = 0;
    long long options = 0;
    long long returned = 0;
    long long destroyed = 0;
} marks;

// The one field of /proc/self/status, in kB; 0 when it can't be read.
long long statusFieldKb(const char* name) {
    std::FILE* file = std::fopen("/proc/self/status", "r");
    if (file == nullptr)
        return 0;
    char line[256];
    long long value = 0;
    const std::size_t length = std::strlen(name);
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (std::strncmp(line, name, length) == 0 && line[length] == ':') {
            value = std::atoll(line + length + 1);
            break;
        }
    }
    std::fclose(file);
    return value;
}

char classTag, methodTag, stringTag, arrayTag;

jclass JNICALL findClass(JNIEnv*, const char*) {
    return reinterpret_cast<jclass>(&classTag);
}
jthrowable JNICALL exceptionOccurred(JNIEnv*) {
    return nullptr;
}
void JNICALL exceptionDescribe(JNIEnv*) {}
void JNICALL exceptionClear(JNIEnv*) {}
jmethodID JNICALL getStaticMethodID(JNIEnv*, jclass, const char*, const char*) {
    return reinterpret_cast<jmethodID>(&methodTag);
}
void JNICALL callStaticVoidMethodV(JNIEnv*, jclass, jmethodID, va_list) {
    marks.returned = now();
}
jstring JNICALL newString(JNIEnv*, const jchar*, jsize) {
    return reinterpret_cast<jstring>(&stringTag);
}
jobjectArray JNICALL newObjectArray(JNIEnv*, jsize, jclass, jobject) {
    return reinterpret_cast<jobjectArray>(&arrayTag);
}
void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray, jsize, jobject) {}

void JNICALL deleteLocalRef(JNIEnv*, jobject) {}

jint JNICALL detachCurrentThread(JavaVM*) {
    return JNI_OK;
}

jint JNICALL destroyJavaVM(JavaVM*) {
    marks.destroyed = now();
    return JNI_OK;
}

JNINativeInterface_ nativeInterface{};
JNIInvokeInterface_ invokeInterface{};
JNIEnv_ environment{};
JavaVM_ virtualMachine{};

// A destructor of the library rather than of a static object: the C library runs it from the
// dynamic linker's own exit handler, after every handler and static destructor of the launcher.
__attribute__((destructor)) void recordAtExit() {
    const long long exitMark = now();
    const char* path = std::getenv("BENCH_PROBE_RECORD");
    if (path == nullptr || *path == '\0')
        return;
    std::FILE* file = std::fopen(path, "a");
    if (file == nullptr)
        return;
    std::fprintf(
        file,
        "exec=%lld entry=%lld load=%lld create=%lld hwm_kb=%lld options=%lld returned=%lld "
        "destroyed=%lld exit=%lld\n",
        marks.exec, marks.entry, marks.load, marks.create, marks.hwmKb, marks.options,
        marks.returned, marks.destroyed, exitMark);
    std::fclose(file);
}

// For finding out where the memory goes: BENCH_PROBE_SMAPS names a file that receives a copy of
// /proc/self/smaps as it stands when JNI_CreateJavaVM is called.
void copySmaps() {
    const char* target = std::getenv("BENCH_PROBE_SMAPS");
    if (target == nullptr || *target == '\0')
        return;
    std::FILE* from = std::fopen("/proc/self/smaps", "r");
    std::FILE* to = std::fopen(target, "w");
    char buffer[4096];
    std::size_t got = 0;
    while (from != nullptr && to != nullptr &&
           (got = std::fread(buffer, 1, sizeof buffer, from)) > 0)
        std::fwrite(buffer, 1, got, to);
    if (from != nullptr)
        std::fclose(from);
    if (to != nullptr)
        std::fclose(to);
}

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
    marks.create = now();
    marks.hwmKb = statusFieldKb("VmHWM");
    if (const char* exec = std::getenv("BENCH_EXEC_NS"))
        marks.exec = std::atoll(exec);
    if (const void* entry = dlsym(RTLD_DEFAULT, "benchEntryNanoseconds"))
        marks.entry = *static_cast<const long long*>(entry);
    if (const void* load = dlsym(RTLD_DEFAULT, "benchLoadNanoseconds"))
        marks.load = *static_cast<const long long*>(load);
    marks.options = static_cast<const JavaVMInitArgs*>(args)->nOptions;
    copySmaps();

    nativeInterface.FindClass = findClass;
    nativeInterface.ExceptionOccurred = exceptionOccurred;
    nativeInterface.ExceptionDescribe = exceptionDescribe;
    nativeInterface.ExceptionClear = exceptionClear;
    nativeInterface.GetStaticMethodID = getStaticMethodID;
    nativeInterface.CallStaticVoidMethodV = callStaticVoidMethodV;
    nativeInterface.NewString = newString;
    nativeInterface.NewObjectArray = newObjectArray;
    nativeInterface.SetObjectArrayElement = setObjectArrayElement;
    nativeInterface.DeleteLocalRef = deleteLocalRef;
    invokeInterface.DetachCurrentThread = detachCurrentThread;
    invokeInterface.DestroyJavaVM = destroyJavaVM;
    environment.functions = &nativeInterface;
    virtualMachine.functions = &invokeInterface;
    *vm = &virtualMachine;
    *env = &environment;
    return JNI_OK;
}
