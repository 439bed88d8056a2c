/* The floor of hosting a JVM through JNI: load the JVM library, create the JVM with the given
 * options, call the main class's main with no arguments, destroy the JVM. Nothing else: no
 * configuration, no class path of its own. bench/run.sh gives it the launcher's seven options
 * and class path, so that what the launcher costs beyond it is its own.
 *
 *   jni_floor LIBJVM BIN_DIR MAIN_CLASS OPTION...
 *
 * Like the launcher, it loads the library while BIN_DIR is the current directory. */
#include <dlfcn.h>
#include <jni.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

typedef jint(JNICALL* CreateJavaVM)(JavaVM**, void**, void*);

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s LIBJVM BIN_DIR MAIN_CLASS OPTION...\n", argv[0]);
        return 1;
    }
    char here[4096];
    if (getcwd(here, sizeof here) == NULL || chdir(argv[2]) != 0)
        return 1;
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_GLOBAL);
    if (library == NULL || chdir(here) != 0)
        return 2;
    CreateJavaVM create = (CreateJavaVM)dlsym(library, "JNI_CreateJavaVM");
    if (create == NULL)
        return 2;

    const int count = argc - 4;
    JavaVMOption* options = calloc((size_t)(count > 0 ? count : 1), sizeof *options);
    if (options == NULL)
        return 3;
    for (int i = 0; i < count; ++i)
        options[i].optionString = argv[4 + i];
    JavaVMInitArgs args = {JNI_VERSION_1_2, count, options, JNI_FALSE};
    JavaVM* vm = NULL;
    JNIEnv* env = NULL;
    if (create(&vm, (void**)&env, &args) != JNI_OK)
        return 3;
    free(options);

    int status = 0;
    jclass mainClass = (*env)->FindClass(env, argv[3]);
    jmethodID mainMethod =
        mainClass ? (*env)->GetStaticMethodID(env, mainClass, "main", "([Ljava/lang/String;)V")
                  : NULL;
    jclass stringClass = (*env)->FindClass(env, "java/lang/String");
    jobjectArray arguments = stringClass ? (*env)->NewObjectArray(env, 0, stringClass, NULL) : NULL;
    if (mainMethod == NULL || arguments == NULL) {
        status = 4;
    } else {
        (*env)->CallStaticVoidMethod(env, mainClass, mainMethod, arguments);
        if ((*env)->ExceptionCheck(env))
            status = 5;
    }
    (*vm)->DetachCurrentThread(vm);
    (*vm)->DestroyJavaVM(vm);
    return status;
}
