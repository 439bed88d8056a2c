# One definition of the built-in texts for both builds: a compiled-in table on POSIX and the
# string table of the Windows resource script.
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

set(LAUNCHER_GENERATED_DIR "${PROJECT_BINARY_DIR}/generated")
configure_file("${PROJECT_SOURCE_DIR}/src/config/builtin_texts.inc.in"
               "${LAUNCHER_GENERATED_DIR}/builtin_texts.inc" @ONLY)
configure_file("${PROJECT_SOURCE_DIR}/src/launcher/win/launcher.rc.in"
               "${LAUNCHER_GENERATED_DIR}/launcher.rc" @ONLY)
