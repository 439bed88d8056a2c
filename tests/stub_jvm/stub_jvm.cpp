// A stand-in JVM library for tests: it exports JNI_CreateJavaVM, fills the JNI function-table
// slots the launcher uses, records what it receives and plays the failures the launcher must
// handle. Built as a .so natively and as a .dll in the Windows cross build.
//
// Record: appended to the file named by the environment variable STUB_JVM_RECORD (nothing is
// recorded when it is unset), one item per line, "name=value" where the name ends at the
// first '=', or a bare name:
//   loaded-in=DIR            current directory when the library was loaded
//   create-in=DIR            current directory when JNI_CreateJavaVM was called
//   module-path=PATH         Windows only: the library's own path as GetModuleFileNameA gives
//                            it (a JVM finds its home from it), bytes in the ANSI code page
//   version=0x10002          JavaVMInitArgs.version, hexadecimal
//   ignoreUnrecognized=0     0 or 1
//   nOptions=N
//   option=TEXT              one line per option, in array order
//   create-result=N          what JNI_CreateJavaVM returns
//   FindClass=NAME
//   ExceptionDescribe        bare name
//   ExceptionClear           bare name
//   GetStaticMethodID=NAME SIGNATURE
//   main-argc=N              the length of the array main receives
//   main-arg=TEXT            one line per element, in order
//   DetachCurrentThread      bare name
//   DestroyJavaVM            bare name
// Every text (directories, options, names, arguments) is written as UTF-8, narrow texts byte
// for byte; a backslash is written "\\", and a control character or a UTF-16 unit that is not
// part of a valid pair is written "\uXXXX" (four upper-case hex digits).
//
// Plays: the environment variable STUB_JVM_PLAY holds one of
//   reject-option        JNI_CreateJavaVM returns -1; "reject-option:N" returns N
//   class-missing        FindClass of any class but java/lang/String fails, with a pending
//                        exception; "class-missing-quietly" fails without one
//   main-missing         GetStaticMethodID returns null
//   main-throws          main ends with a pending exception
//   args-fail            NewObjectArray fails with a pending exception (out of memory)
//   main-writes          Windows only: main writes "client output" and a line end to the
//                        standard output handle, as System.out does
// Unset or empty: everything succeeds.
// jni.h's own switch for exporting the entry points.
#define _JNI_IMPLEMENTATION_  // NOLINT(bugprone-reserved-identifier)
#include <jni.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

struct StubString {
    std::u16string text;
};
struct StubArray {
    std::vector<const StubString*> elements;
};

// Every object lives until the library is unloaded, like a local reference that is never
// deleted.
std::deque<StubString> strings;
std::deque<StubArray> arrays;
char stringClassTag, mainClassTag, mainMethodTag, exceptionTag;
bool exceptionPending = false;

std::string play() {
    const char* value = std::getenv("STUB_JVM_PLAY");
    return value == nullptr ? std::string() : std::string(value);
}

bool playing(std::string_view name) {
    return play() == name;
}

void record(const std::string& line) {
    const char* path = std::getenv("STUB_JVM_RECORD");
    if (path == nullptr || *path == '\0')
        return;
    if (std::FILE* file = std::fopen(path, "ab")) {
        std::fputs((line + "\n").c_str(), file);
        std::fclose(file);
    }
}

void appendEscapedUnit(std::string& out, unsigned unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04X", unit);
    out += buffer;
}

std::string escapeBytes(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (byte < 0x20 || byte == 0x7f)
            appendEscapedUnit(out, byte);
        else
            out += c;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string escapeUtf16(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (high || low || unit < 0x20 || unit == 0x7f) {
            appendEscapedUnit(out, unit);
        } else if (unit == u'\\') {
            out += "\\\\";
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::string currentDirectory() {
    std::error_code error;
    std::filesystem::path directory = std::filesystem::current_path(error);
#ifdef _WIN32
    // Asked directly: the C runtime's answer is garbage past 260 characters.
    std::vector<wchar_t> wide(32768);
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(wide.size()), wide.data());
    directory = std::wstring(wide.data(), length < wide.size() ? length : 0);
#endif
    const std::u8string path = directory.u8string();
    return std::string(path.begin(), path.end());
}

#ifdef _WIN32
const char moduleMarker = 0;  // an address inside this library

std::string ownModulePath() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            &moduleMarker, &self))
        return {};
    std::vector<char> path(32768);
    const DWORD length = GetModuleFileNameA(self, path.data(), static_cast<DWORD>(path.size()));
    return std::string(path.data(), length);
}
#endif

// The library's own load, recorded before anything of it is called.
struct LoadRecorder {
    LoadRecorder() { record("loaded-in=" + escapeBytes(currentDirectory())); }
} loadRecorder;

jclass JNICALL findClass(JNIEnv*, const char* name) {
    record("FindClass=" + escapeBytes(name));
    if (std::string_view(name) == "java/lang/String")
        return reinterpret_cast<jclass>(&stringClassTag);
    if (playing("class-missing")) {
        exceptionPending = true;
        return nullptr;
    }
    if (playing("class-missing-quietly"))
        return nullptr;
    return reinterpret_cast<jclass>(&mainClassTag);
}

jthrowable JNICALL exceptionOccurred(JNIEnv*) {
    return exceptionPending ? reinterpret_cast<jthrowable>(&exceptionTag) : nullptr;
}

// Stands for the stack trace a real JVM prints.
void printPlayedException() {
    std::fputs("stub-jvm: Exception in thread \"main\" stub.PlayedException\n", stderr);
    std::fflush(stderr);
}

void JNICALL exceptionDescribe(JNIEnv*) {
    record("ExceptionDescribe");
    printPlayedException();
}

void JNICALL exceptionClear(JNIEnv*) {
    record("ExceptionClear");
    exceptionPending = false;
}

jmethodID JNICALL getStaticMethodID(JNIEnv*, jclass, const char* name, const char* signature) {
    record("GetStaticMethodID=" + escapeBytes(name) + " " + escapeBytes(signature));
    if (playing("main-missing")) {
        exceptionPending = true;
        return nullptr;
    }
    return reinterpret_cast<jmethodID>(&mainMethodTag);
}

void JNICALL callStaticVoidMethodV(JNIEnv*, jclass, jmethodID, va_list arguments) {
    const auto* array = reinterpret_cast<const StubArray*>(va_arg(arguments, jobjectArray));
    record("main-argc=" + std::to_string(array->elements.size()));
    for (const StubString* element : array->elements)
        record("main-arg=" +
               (element == nullptr ? std::string("\\null") : escapeUtf16(element->text)));
    if (playing("main-throws"))
        exceptionPending = true;
#ifdef _WIN32
    DWORD written = 0;
    if (playing("main-writes"))
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "client output\n", 14, &written, nullptr);
#endif
}

jstring JNICALL newString(JNIEnv*, const jchar* units, jsize length) {
    strings.push_back({std::u16string(reinterpret_cast<const char16_t*>(units),
                                      static_cast<std::size_t>(length))});
    return reinterpret_cast<jstring>(&strings.back());
}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass, jobject) {
    if (playing("args-fail")) {
        exceptionPending = true;
        return nullptr;
    }
    arrays.push_back({std::vector<const StubString*>(static_cast<std::size_t>(length))});
    return reinterpret_cast<jobjectArray>(&arrays.back());
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject value) {
    reinterpret_cast<StubArray*>(array)->elements.at(static_cast<std::size_t>(index)) =
        reinterpret_cast<const StubString*>(value);
}

void JNICALL deleteLocalRef(JNIEnv*, jobject) {}

// A real JVM hands a pending exception to the thread's default handler, which prints it.
jint JNICALL detachCurrentThread(JavaVM*) {
    record("DetachCurrentThread");
    if (exceptionPending)
        printPlayedException();
    exceptionPending = false;
    return JNI_OK;
}

jint JNICALL destroyJavaVM(JavaVM*) {
    record("DestroyJavaVM");
    return JNI_OK;
}

JNINativeInterface_ makeNativeInterface() {
    JNINativeInterface_ table{};
    table.FindClass = findClass;
    table.ExceptionOccurred = exceptionOccurred;
    table.ExceptionDescribe = exceptionDescribe;
    table.ExceptionClear = exceptionClear;
    table.GetStaticMethodID = getStaticMethodID;
    table.CallStaticVoidMethodV = callStaticVoidMethodV;
    table.NewString = newString;
    table.NewObjectArray = newObjectArray;
    table.SetObjectArrayElement = setObjectArrayElement;
    table.DeleteLocalRef = deleteLocalRef;
    return table;
}

JNIInvokeInterface_ makeInvokeInterface() {
    JNIInvokeInterface_ table{};
    table.DetachCurrentThread = detachCurrentThread;
    table.DestroyJavaVM = destroyJavaVM;
    return table;
}

const JNINativeInterface_ nativeInterface = makeNativeInterface();
const JNIInvokeInterface_ invokeInterface = makeInvokeInterface();
JNIEnv environment;
JavaVM virtualMachine;

// The result that the play asks JNI_CreateJavaVM to return.
jint creationResult() {
    const std::string value = play();
    const std::string prefix = "reject-option";
    if (value.rfind(prefix, 0) != 0)
        return JNI_OK;
    if (value.size() > prefix.size() + 1 && value[prefix.size()] == ':')
        return static_cast<jint>(std::atoi(value.c_str() + prefix.size() + 1));
    return JNI_ERR;
}

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
    const auto* initArgs = static_cast<const JavaVMInitArgs*>(args);
    char version[16];
    std::snprintf(version, sizeof version, "0x%lx", static_cast<unsigned long>(initArgs->version));
    record("create-in=" + escapeBytes(currentDirectory()));
#ifdef _WIN32
    record("module-path=" + escapeBytes(ownModulePath()));
#endif
    record(std::string("version=") + version);
    record("ignoreUnrecognized=" + std::to_string(static_cast<int>(initArgs->ignoreUnrecognized)));
    record("nOptions=" + std::to_string(initArgs->nOptions));
    for (jint i = 0; i < initArgs->nOptions; ++i)
        record("option=" + escapeBytes(initArgs->options[i].optionString));
    const jint result = creationResult();
    record("create-result=" + std::to_string(result));
    if (result != JNI_OK)
        return result;
    environment.functions = &nativeInterface;
    virtualMachine.functions = &invokeInterface;
    *vm = &virtualMachine;
    *env = &environment;
    return JNI_OK;
}
