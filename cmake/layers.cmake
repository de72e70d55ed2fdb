# The program's folders are layers, and each is a library that sees only its own folder and the
# folders below it. Sources include by folder ("core/program_state.h"), and a layer's include
# directory holds links to exactly the folders it may use: an include that points up or sideways
# is not found, and the build fails there.

set(PADWRIGHT_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)

# The include directory of `layer`: links named after each folder in ARGN, to that folder.
function(padwright_layer_directory layer)
    set(dir ${PADWRIGHT_LAYER_ROOT}/${layer})
    file(REMOVE_RECURSE ${dir}) # removes the links, never what they point to
    file(MAKE_DIRECTORY ${dir})
    foreach(folder ${ARGN})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${dir}/${folder} SYMBOLIC RESULT failed)
        if(failed AND CMAKE_HOST_WIN32)
            # Without the right to make symbolic links, a junction needs none.
            file(TO_NATIVE_PATH ${dir}/${folder} link)
            file(TO_NATIVE_PATH ${CMAKE_SOURCE_DIR}/${folder} target)
            execute_process(COMMAND cmd /c mklink /J ${link} ${target}
                            RESULT_VARIABLE failed OUTPUT_QUIET)
        endif()
        if(failed)
            message(FATAL_ERROR "cannot link ${dir}/${folder} to ${CMAKE_SOURCE_DIR}/${folder}")
        endif()
    endforeach()
endfunction()

# The sources of a folder: every .cpp, or with GLUE only the *_win32.cpp Win32 glue, or with
# NEUTRAL only the others.
function(padwright_folder_sources out folder kind)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
    if(kind STREQUAL "GLUE")
        list(FILTER found INCLUDE REGEX "_win32\\.cpp$")
    elseif(kind STREQUAL "NEUTRAL")
        list(FILTER found EXCLUDE REGEX "_win32\\.cpp$")
    endif()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# padwright_layer(name [TOP] USES folder... LINKS target...): the library padwright_<name> of the
# folder's neutral sources and, on Windows, its Win32 glue (the TOP layer's glue, with the entry
# point, goes into the program instead). It sees its own folder, the folders it USES and the
# generated headers, and links LINKS.
function(padwright_layer name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "TOP" "" "USES;LINKS")
    padwright_layer_directory(${name} ${name} ${arg_USES})
    if(WIN32 AND NOT arg_TOP)
        padwright_folder_sources(sources ${name} ALL)
    else()
        padwright_folder_sources(sources ${name} NEUTRAL)
    endif()
    add_library(padwright_${name} STATIC ${sources})
    target_include_directories(padwright_${name} PRIVATE ${PADWRIGHT_LAYER_ROOT}/${name}
                                                         ${GENERATED_DIR})
    target_link_libraries(padwright_${name} PUBLIC ${arg_LINKS})
endfunction()
