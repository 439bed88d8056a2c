# Warnings for the project's own targets.
function(launcher_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wcast-align -Wformat=2 -Wnull-dereference)
    if(LAUNCHER_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
