# jni.h comes from an installed JDK, found through its home (JDK_HOME, JAVA_HOME, or the
# directory of the javac on the PATH); never a fixed path. The Windows build brings its own
# jni_md.h, since the JDK here is a Linux one.
set(JDK_HOME "" CACHE PATH "Home of the JDK whose jni.h is used (found from javac when empty)")
if(NOT JDK_HOME AND DEFINED ENV{JAVA_HOME})
    set(JDK_HOME "$ENV{JAVA_HOME}")
endif()
if(NOT JDK_HOME)
    find_program(LAUNCHER_JAVAC javac NO_CMAKE_FIND_ROOT_PATH)
    if(LAUNCHER_JAVAC)
        file(REAL_PATH "${LAUNCHER_JAVAC}" javac_real)
        get_filename_component(javac_bin "${javac_real}" DIRECTORY)
        get_filename_component(JDK_HOME "${javac_bin}" DIRECTORY)
    endif()
endif()
if(NOT EXISTS "${JDK_HOME}/include/jni.h")
    message(FATAL_ERROR "jni.h not found: install a JDK (openjdk-17-jdk-headless) or set JDK_HOME")
endif()
message(STATUS "JNI headers from ${JDK_HOME}/include")

add_library(jni_headers INTERFACE)
if(WIN32)
    target_include_directories(jni_headers SYSTEM INTERFACE
        "${PROJECT_SOURCE_DIR}/src/jvm/win_jni" "${JDK_HOME}/include")
else()
    target_include_directories(jni_headers SYSTEM INTERFACE
        "${JDK_HOME}/include" "${JDK_HOME}/include/linux")
endif()
