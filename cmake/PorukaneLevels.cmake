# The levels of src/ (see src/README.md). A folder may use folders of its own level or lower;
# the app's sublevels order its subsystems (core below the forms, the wizard above the forms it
# opens, start-up above everything it starts). Longest prefix wins. Read by the build (link
# check) and by CheckLevels.cmake (include check, run as a test).
set(PORUKANE_LEVELS
    "bytes=10" "names=10"
    "agent/acs=20" "agent/playback=20" "agent/engine=20" "clip=20" "files=20"
    "components=30" "platform=30"
    "agent/desktop=40" "clip/qt=40"
    "app/core=50"
    "app/about=51" "app/character=51" "app/download=51" "app/media=51"
    "app/wizard=52"
    "app/startup=53"
    "app/tray=54"
    "main=60")
# Folders that must not include Qt (the std-only levels); subfolders listed in
# PORUKANE_LEVELS with a level of their own (clip/qt) are not part of them.
set(PORUKANE_STD_ONLY bytes names agent/acs agent/playback agent/engine clip files)

# Sets `out` to the level of `path` (relative to src/) and `outFolder` to the folder that
# decided it; both empty when no folder of the table holds it.
function(porukane_level_of path out outFolder)
    set(_best "")
    set(_level "")
    foreach(_entry IN LISTS PORUKANE_LEVELS)
        string(REPLACE "=" ";" _pair "${_entry}")
        list(GET _pair 0 _folder)
        list(GET _pair 1 _value)
        string(LENGTH "${_folder}" _len)
        string(LENGTH "${_best}" _bestLen)
        if((path STREQUAL _folder OR path MATCHES "^${_folder}/") AND _len GREATER _bestLen)
            set(_best "${_folder}")
            set(_level "${_value}")
        endif()
    endforeach()
    set(${out} "${_level}" PARENT_SCOPE)
    set(${outFolder} "${_best}" PARENT_SCOPE)
endfunction()

# Fails the configuration when a library or program below `srcDir` links a project target of a
# higher level.
function(porukane_check_link_levels srcDir)
    set(_dirs "${srcDir}")
    set(_targets "")
    while(_dirs)
        list(POP_FRONT _dirs _dir)
        get_property(_sub DIRECTORY "${_dir}" PROPERTY SUBDIRECTORIES)
        list(APPEND _dirs ${_sub})
        get_property(_t DIRECTORY "${_dir}" PROPERTY BUILDSYSTEM_TARGETS)
        list(APPEND _targets ${_t})
    endwhile()
    foreach(_target IN LISTS _targets)
        get_target_property(_dir ${_target} SOURCE_DIR)
        file(RELATIVE_PATH _rel "${srcDir}" "${_dir}")
        porukane_level_of("${_rel}" _level _folder)
        if(_level STREQUAL "")
            message(FATAL_ERROR "src/${_rel} (${_target}) has no level in PorukaneLevels.cmake")
        endif()
        get_target_property(_links ${_target} LINK_LIBRARIES)
        get_target_property(_ilinks ${_target} INTERFACE_LINK_LIBRARIES)
        foreach(_dep IN LISTS _links _ilinks)
            if(NOT _dep OR NOT TARGET "${_dep}" OR NOT _dep MATCHES "^porukane")
                continue()
            endif()
            get_target_property(_depDir ${_dep} SOURCE_DIR)
            if(NOT _depDir MATCHES "^${srcDir}/")
                continue()  # tools of the build itself (warning flags)
            endif()
            file(RELATIVE_PATH _depRel "${srcDir}" "${_depDir}")
            porukane_level_of("${_depRel}" _depLevel _depFolder)
            if(_depLevel GREATER _level)
                message(FATAL_ERROR "${_target} (src/${_folder}, level ${_level}) links ${_dep} "
                                    "(src/${_depFolder}, level ${_depLevel}): links must point down")
            endif()
        endforeach()
    endforeach()
endfunction()
