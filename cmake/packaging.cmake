# Release packages: the launcher with a sample installation and the guide around it, as a
# tar.gz for Linux and a zip for Windows (whichever platform this build is for).
# scripts/package.sh builds both, and the MSI from the zip, and leaves them in build/packages/.

# The MSI's identity across versions. Windows Installer replaces an installed product by a
# newer one only when both carry the same upgrade code, so it must stay the same for every
# release of one product and differ from every other product's.
set(LAUNCHER_UPGRADE_CODE "" CACHE STRING
    "Upgrade code of the MSI, a GUID; empty: derived from LAUNCHER_COMPANY and LAUNCHER_PRODUCT_NAME")
# A Java runtime image shipped as the folder jre beside the launcher: empty for none, a folder
# (copied as it is, for example a vendor's Windows runtime), or "jlink" on Linux to make one
# from the JDK that builds the sample, with the modules its jars need.
set(LAUNCHER_RUNTIME "" CACHE STRING
    "Java runtime shipped as jre/: empty (none), a runtime image folder, or jlink (Linux)")
# What jlink adds to the modules jdeps finds and the service modules scripts/make-runtime.sh
# always adds: modules the client reaches by name at run time (comma-separated).
set(LAUNCHER_RUNTIME_MODULES "" CACHE STRING
    "Modules added to the jlink runtime beyond those found and the service modules")
if(NOT LAUNCHER_RUNTIME_MODULES MATCHES "^([A-Za-z0-9_.]+(,[A-Za-z0-9_.]+)*)?$")
    message(FATAL_ERROR "LAUNCHER_RUNTIME_MODULES=\"${LAUNCHER_RUNTIME_MODULES}\": expected module "
                        "names separated by commas, such as java.sql,jdk.net")
endif()

# The product name becomes a folder name, the MSI's texts are stored in one Windows code page,
# and the registry key holds the company name: refuse at once what would fail or be cut later.
execute_process(
    COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/build-msi.sh" --check-names
            "${LAUNCHER_PRODUCT_NAME}" "${LAUNCHER_COMPANY}"
    RESULT_VARIABLE names_result ERROR_VARIABLE names_error OUTPUT_QUIET)
if(NOT names_result EQUAL 0)
    string(REGEX REPLACE "^build-msi: (.*)\n$" "\\1" names_error "${names_error}")
    message(FATAL_ERROR "LAUNCHER_PRODUCT_NAME, LAUNCHER_COMPANY: ${names_error}")
endif()

# CMake's regular expressions have no {n} repetition: the groups of hex digits are spelt out.
string(REPEAT "[0-9A-Fa-f]" 4 hex4)
string(REPEAT "${hex4}" 3 hex12)
if(LAUNCHER_UPGRADE_CODE STREQUAL "")
    # A name-based UUID: the same for every build of the same company and product.
    string(UUID upgrade_code NAMESPACE 6ba7b811-9dad-11d1-80b4-00c04fd430c8
           NAME "launcher-msi/${LAUNCHER_COMPANY}/${LAUNCHER_PRODUCT_NAME}" TYPE SHA1 UPPER)
elseif(LAUNCHER_UPGRADE_CODE MATCHES "^{?(${hex4}${hex4}-${hex4}-${hex4}-${hex4}-${hex12})}?$")
    string(TOUPPER "${CMAKE_MATCH_1}" upgrade_code)
else()
    message(FATAL_ERROR "LAUNCHER_UPGRADE_CODE=\"${LAUNCHER_UPGRADE_CODE}\": expected a GUID "
                        "such as 4F2A1C3E-8B7D-4E6F-9A0B-1C2D3E4F5A6B")
endif()

# The executable as the vendor ships it: LAUNCHER_ORIGINAL_FILENAME names it in the Windows
# package, and without its ".exe" in the Linux one.
string(REGEX REPLACE "\\.[Ee][Xx][Ee]$" "" original_stem "${LAUNCHER_ORIGINAL_FILENAME}")
if(WIN32)
    set(LAUNCHER_SHIPPED_NAME "${original_stem}.exe")
else()
    set(LAUNCHER_SHIPPED_NAME "${original_stem}")
endif()
if(NOT LAUNCHER_SHIPPED_NAME MATCHES "^[^<>:\"/\\|?*]+$" OR LAUNCHER_SHIPPED_NAME MATCHES "^\\.")
    message(FATAL_ERROR "LAUNCHER_ORIGINAL_FILENAME=\"${LAUNCHER_ORIGINAL_FILENAME}\": not a "
                        "plain file name")
endif()

add_subdirectory(examples)

# The package holds only the launcher and the sample: installing must not build the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

install(TARGETS launcher RUNTIME DESTINATION .)
if(NOT LAUNCHER_SHIPPED_NAME STREQUAL "launcher${CMAKE_EXECUTABLE_SUFFIX}")
    # After the install rule above, which strips it under CPack.
    install(CODE "file(RENAME \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/launcher${CMAKE_EXECUTABLE_SUFFIX}\"
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${LAUNCHER_SHIPPED_NAME}\")")
endif()
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

# The runtime: built by the target runtime_image (scripts/package.sh builds it), or given.
if(LAUNCHER_RUNTIME STREQUAL "jlink")
    if(WIN32)
        message(FATAL_ERROR "LAUNCHER_RUNTIME=jlink: a Windows runtime cannot be made here; "
                            "give the folder of a Windows runtime image instead")
    endif()
    set(runtime_dir "${CMAKE_BINARY_DIR}/runtime/jre")
    add_custom_command(
        OUTPUT "${CMAKE_BINARY_DIR}/runtime/jre.stamp"
        COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/make-runtime.sh"
                --add-modules "${LAUNCHER_RUNTIME_MODULES}" "${JDK_HOME}" "${runtime_dir}"
                "${LAUNCHER_SAMPLE_JAR_DIR}/client__V2.1.0.jar"
                "${LAUNCHER_SAMPLE_JAR_DIR}/greeting__V2.1.4.jar"
        COMMAND "${CMAKE_COMMAND}" -E touch "${CMAKE_BINARY_DIR}/runtime/jre.stamp"
        DEPENDS sample_jars "${LAUNCHER_SAMPLE_JAR_DIR}/client__V2.1.0.jar"
                "${LAUNCHER_SAMPLE_JAR_DIR}/greeting__V2.1.4.jar" "${PROJECT_SOURCE_DIR}/scripts/make-runtime.sh"
        COMMENT "Making the Java runtime image with jlink"
        VERBATIM)
    add_custom_target(runtime_image DEPENDS "${CMAKE_BINARY_DIR}/runtime/jre.stamp")
elseif(NOT LAUNCHER_RUNTIME STREQUAL "")
    set(runtime_dir "${LAUNCHER_RUNTIME}")
    set(runtime_library "lib/server/libjvm.so")
    if(WIN32)
        set(runtime_library "bin/server/jvm.dll")
    endif()
    if(NOT EXISTS "${runtime_dir}/${runtime_library}")
        message(FATAL_ERROR "LAUNCHER_RUNTIME=\"${LAUNCHER_RUNTIME}\": no ${runtime_library} "
                            "in it, as the package's launch.properties expects")
    endif()
    add_custom_target(runtime_image)
else()
    add_custom_target(runtime_image)
endif()
if(DEFINED runtime_dir)
    install(DIRECTORY "${runtime_dir}/" DESTINATION jre USE_SOURCE_PERMISSIONS)
endif()

# What scripts/package.sh hands to scripts/build-msi.sh, an option and its value per line.
file(WRITE "${CMAKE_BINARY_DIR}/msi-arguments"
"--product
${LAUNCHER_PRODUCT_NAME}
--company
${LAUNCHER_COMPANY}
--version
${LAUNCHER_PRODUCT_VERSION}
--upgrade-code
${upgrade_code}
--launcher
${LAUNCHER_SHIPPED_NAME}
--launcher-version
${LAUNCHER_FILE_VERSION}
--icon
${LAUNCHER_ICON}
")

# File names with the product and its version, in ASCII, since the Linux package's folder is
# the installation folder and a JVM started without a locale cannot read other bytes in it:
# "Zoë Studio" 4.2.1 gives zoe-studio-4.2.1-windows-x64.zip. Latin letters lose their marks;
# each run of what is left beyond ASCII letters, digits, dots and "_" becomes one "-".
set(package_name "${LAUNCHER_PRODUCT_NAME}")
foreach(letters "a:à á â ã ä å ą À Á Â Ã Ä Å Ą" "c:ç ć č Ç Ć Č" "e:è é ê ë ę ě È É Ê Ë Ę Ě"
                "i:ì í î ï Ì Í Î Ï" "l:ł Ł" "n:ñ ń ň Ñ Ń Ň" "o:ò ó ô õ ö ø ő Ò Ó Ô Õ Ö Ø Ő"
                "r:ř Ř" "s:ś š ş Ś Š Ş" "u:ù ú û ü ů ű Ù Ú Û Ü Ů Ű" "y:ý ÿ Ý" "z:ź ż ž Ź Ż Ž"
                "ss:ß" "ae:æ Æ" "oe:œ Œ")
    string(REGEX MATCH "^[a-z]+" plain "${letters}")
    string(REGEX REPLACE "^[a-z]+:" "" marked "${letters}")
    string(REPLACE " " ";" marked "${marked}")
    foreach(letter IN LISTS marked)
        string(REPLACE "${letter}" "${plain}" package_name "${package_name}")
    endforeach()
endforeach()
string(TOLOWER "${package_name}" package_name)
string(REGEX REPLACE "[^a-z0-9._]+" "-" package_name "${package_name}")
string(REGEX REPLACE "^-+|-+$" "" package_name "${package_name}")
if(package_name STREQUAL "")
    set(package_name "client")
endif()
set(CPACK_PACKAGE_NAME "${package_name}")
set(CPACK_PACKAGE_VENDOR "${LAUNCHER_COMPANY}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${LAUNCHER_PRODUCT_NAME}, with its launcher")
set(CPACK_PACKAGE_VERSION "${LAUNCHER_PRODUCT_VERSION}")
if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(package_platform windows-x64)
else()
    set(CPACK_GENERATOR TGZ)
    set(package_platform linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${LAUNCHER_PRODUCT_VERSION}-${package_platform}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Stripped: its symbols stay beside the build output (src/launcher/CMakeLists.txt).
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/cpack")
include(CPack)
