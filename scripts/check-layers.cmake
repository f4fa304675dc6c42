# Fails when a file includes a header from a layer above its own: nothing outside src/app
# includes "app/", and the engine (util, encoding, archive, zip) never reaches the settings or
# the document. tests/<layer> follows the rules of src/<layer>; any other folder (bench, fuzz,
# test support, a new folder) may include every layer but app.
# Run as: cmake -DKIST_ROOT=<checkout> -P scripts/check-layers.cmake
cmake_minimum_required(VERSION 3.25)

set(layers util encoding settings archive zip document cli app)
set(allowed_util util)
set(allowed_encoding util encoding)
set(allowed_settings util encoding settings)
set(allowed_archive util encoding archive)
set(allowed_zip util zip)
set(allowed_document util encoding settings archive zip document)
set(allowed_cli util encoding settings archive zip document cli)
set(allowed_app ${layers})
set(allowed_other ${allowed_cli})

if(NOT KIST_ROOT)
    message(FATAL_ERROR "KIST_ROOT is not set")
endif()
file(GLOB_RECURSE files RELATIVE "${KIST_ROOT}"
    "${KIST_ROOT}/src/*.h" "${KIST_ROOT}/src/*.cpp" "${KIST_ROOT}/tests/*.h"
    "${KIST_ROOT}/tests/*.cpp" "${KIST_ROOT}/fuzz/*.h" "${KIST_ROOT}/fuzz/*.cpp"
    "${KIST_ROOT}/bench/*.h" "${KIST_ROOT}/bench/*.cpp")

set(violations 0)
foreach(file IN LISTS files)
    set(layer other)
    if(file MATCHES "^(src|tests)/([^/]+)/" AND CMAKE_MATCH_2 IN_LIST layers)
        set(layer ${CMAKE_MATCH_2})
    endif()
    file(STRINGS "${KIST_ROOT}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
    foreach(line IN LISTS includes)
        string(REGEX MATCH "\"([a-z]+)/" unused "${line}")
        set(target ${CMAKE_MATCH_1})
        if(target IN_LIST layers AND NOT target IN_LIST allowed_${layer})
            message(NOTICE "${file}: ${layer} must not include ${target}/: ${line}")
            math(EXPR violations "${violations} + 1")
        endif()
    endforeach()
endforeach()

list(LENGTH files checked)
if(violations GREATER 0)
    message(FATAL_ERROR "${violations} include(s) cross the layers")
endif()
message(STATUS "layers: ${checked} files checked, no include crosses the layers")
