# One static library per folder of src/, each compiled against the headers of its own folder and
# of the folders it names as DEPENDS only, so that an include that points up is a build error.
#
# A layer's headers are reached as "<folder>/<name>.h" through a root of its own in the build
# tree: <build>/layers/<folder>/src/<folder> is a link to src/<folder>. A library sees its own
# root and the roots of its DEPENDS (linked PRIVATE, so what they depend on stays hidden). NAME
# names the library launcher_<NAME> where the folder's name would not do.
function(launcher_layer folder)
    cmake_parse_arguments(PARSE_ARGV 1 layer "" "NAME" "SOURCES;DEPENDS")
    set(root "${PROJECT_BINARY_DIR}/layers/${folder}/src")
    file(MAKE_DIRECTORY "${root}")
    if(NOT EXISTS "${root}/${folder}")
        file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${folder}" SYMBOLIC)
    endif()
    set(target launcher_${folder})
    if(layer_NAME)
        set(target launcher_${layer_NAME})
    endif()
    add_library(${target} STATIC ${layer_SOURCES})
    target_include_directories(${target} PUBLIC "${root}")
    foreach(dependency IN LISTS layer_DEPENDS)
        target_link_libraries(${target} PRIVATE launcher_${dependency})
    endforeach()
    if(LAUNCHER_USE_LTO)
        target_compile_options(${target} PRIVATE -flto=auto -ffat-lto-objects)
    endif()
    launcher_warnings(${target})
endfunction()
