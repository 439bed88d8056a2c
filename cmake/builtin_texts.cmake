# One definition of the built-in texts for both builds: a compiled-in table on POSIX and the
# string table of the Windows resource script, which also takes the icon and the version fields.
function(launcher_escape_c out text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()
function(launcher_escape_rc out text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\"\"" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

launcher_escape_c(LAUNCHER_TEXT_114_C "${LAUNCHER_TEXT_114}")
launcher_escape_c(LAUNCHER_TEXT_129_C "${LAUNCHER_TEXT_129}")
launcher_escape_rc(LAUNCHER_TEXT_114_RC "${LAUNCHER_TEXT_114}")
launcher_escape_rc(LAUNCHER_TEXT_129_RC "${LAUNCHER_TEXT_129}")

# The version resource: the texts as the resource script writes them, the versions as the
# four numbers of its fixed part.
function(launcher_version_numbers out option)
    set(version "${${option}}")
    if(NOT version MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
        message(FATAL_ERROR "${option}=\"${version}\": expected up to four numbers separated "
                            "by dots, such as 2.1.0")
    endif()
    string(REPLACE "." ";" numbers "${version}")
    list(LENGTH numbers count)
    while(count LESS 4)
        list(APPEND numbers 0)
        math(EXPR count "${count} + 1")
    endwhile()
    foreach(number IN LISTS numbers)
        if(number GREATER 65535)
            message(FATAL_ERROR "${option}=\"${version}\": ${number} is above 65535, the "
                                "largest number a Windows version can hold")
        endif()
    endforeach()
    string(REPLACE ";" "," numbers "${numbers}")
    set(${out} "${numbers}" PARENT_SCOPE)
endfunction()
launcher_version_numbers(LAUNCHER_FILE_VERSION_RC LAUNCHER_FILE_VERSION)
launcher_version_numbers(LAUNCHER_PRODUCT_VERSION_RC LAUNCHER_PRODUCT_VERSION)
foreach(field IN ITEMS PRODUCT_NAME FILE_DESCRIPTION COMPANY COPYRIGHT ORIGINAL_FILENAME)
    launcher_escape_rc(LAUNCHER_${field}_RC "${LAUNCHER_${field}}")
endforeach()
if(NOT EXISTS "${LAUNCHER_ICON}")
    message(FATAL_ERROR "LAUNCHER_ICON=\"${LAUNCHER_ICON}\": no such file")
endif()
launcher_escape_rc(LAUNCHER_ICON_RC "${LAUNCHER_ICON}")

set(LAUNCHER_GENERATED_DIR "${PROJECT_BINARY_DIR}/generated")
configure_file("${PROJECT_SOURCE_DIR}/src/config/builtin_texts.inc.in"
               "${LAUNCHER_GENERATED_DIR}/builtin_texts.inc" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/src/launcher/win/launcher.rc.in"
               "${LAUNCHER_GENERATED_DIR}/launcher.rc" @ONLY)
