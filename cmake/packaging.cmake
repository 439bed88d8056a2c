# Release packages: the launcher with a sample installation and the guide around it, as a
# tar.gz for Linux and a zip for Windows (whichever platform this build is for).
# scripts/package.sh builds both, and the MSI from the zip, and leaves them in build/packages/.
add_subdirectory(examples)

# The package holds only the launcher and the sample: installing must not build the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

install(TARGETS launcher RUNTIME DESTINATION .)
install(DIRECTORY "${LAUNCHER_SAMPLE_TEXT_DIR}/" DESTINATION .)
install(FILES "${LAUNCHER_SAMPLE_JAR_DIR}/client__V2.0.3.jar"
              "${LAUNCHER_SAMPLE_JAR_DIR}/client__V2.1.0.jar"
        DESTINATION lib)
install(FILES "${LAUNCHER_SAMPLE_JAR_DIR}/greeting__V1.9.jar"
              "${LAUNCHER_SAMPLE_JAR_DIR}/greeting__V2.0.0.jar"
              "${LAUNCHER_SAMPLE_JAR_DIR}/greeting__V2.1.4.jar"
        DESTINATION ext)
install(FILES "${LAUNCHER_SAMPLE_JAR_DIR}/client__V2.2.0.jar.new" DESTINATION updates/2.2.0/lib)
# The guide travels with the launcher.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/docs/" DESTINATION doc)

set(CPACK_PACKAGE_NAME "brantlo-launcher")
set(CPACK_PACKAGE_VENDOR "Brantlo")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Native launcher of the Brantlo Client, with a sample installation")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(package_platform windows-x64)
else()
    set(CPACK_GENERATOR TGZ)
    set(package_platform linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${package_platform}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Stripped: its symbols stay beside the build output (src/launcher/CMakeLists.txt).
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/cpack")
include(CPack)
