# Draws and compiles the character twice into separate folders and requires byte-identical
# files, equal to the one the build made.
foreach(_run a b)
    set(_dir "${WORK}/${_run}")
    file(REMOVE_RECURSE "${_dir}")
    execute_process(COMMAND "${GENERATOR}" "${_dir}" RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
        message(FATAL_ERROR "generator run ${_run} failed: ${_rc}")
    endif()
    execute_process(COMMAND "${TOOL}" build "${_dir}/character.json" "${WORK}/${_run}.acs"
                    RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
        message(FATAL_ERROR "porukane-acs build ${_run} failed: ${_rc}")
    endif()
endforeach()
foreach(_other "${WORK}/b.acs" "${INSTALLED}")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/a.acs" "${_other}"
                    RESULT_VARIABLE _same)
    if(NOT _same EQUAL 0)
        message(FATAL_ERROR "${WORK}/a.acs and ${_other} differ")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK}")
