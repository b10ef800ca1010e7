# Warning flags and the std-only guard shared by every target.

# Every target of the project links this one interface target for its warning flags.
add_library(porukane_warning_flags INTERFACE)
target_compile_options(porukane_warning_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow
    $<$<BOOL:${PORUKANE_WERROR}>:-Werror>)

function(porukane_warnings target)
    target_link_libraries(${target} PRIVATE porukane_warning_flags)
endfunction()

# Libraries that must stay free of Qt: stricter warnings, and a build-time check that no
# source or header of the folder includes a Qt header. Optional `EXCLUDE sub ...` leaves out
# subfolders that hold a separate Qt adapter library (e.g. src/clip/qt).
function(porukane_std_only target dir)
    cmake_parse_arguments(PARSE_ARGV 2 _arg "" "" "EXCLUDE")
    porukane_warnings(${target})
    target_compile_options(${target} PRIVATE -Wconversion -Wsign-conversion)
    file(GLOB_RECURSE _files CONFIGURE_DEPENDS "${dir}/*.h" "${dir}/*.cpp")
    foreach(_sub IN LISTS _arg_EXCLUDE)
        list(FILTER _files EXCLUDE REGEX "^${dir}/${_sub}/")
    endforeach()
    foreach(_f IN LISTS _files)
        file(STRINGS "${_f}" _qt REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q")
        if(_qt)
            message(FATAL_ERROR "${_f} is part of a std-only library but includes a Qt header: ${_qt}")
        endif()
    endforeach()
endfunction()

# Copies a file into the program folder after a target is built.
function(porukane_stage_file target src name)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_if_different "${src}" "${PORUKANE_PROGRAM_DIR}/${name}")
endfunction()
