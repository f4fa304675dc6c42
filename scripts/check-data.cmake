# Fails when a desktop file or the AppStream metainfo does not validate (each check runs when its
# validator is installed), or when the code holds a text that translations/kist_de.ts lacks.
# Run as: cmake -DKIST_ROOT=<checkout> -DKIST_DATA=<build>/data -DLUPDATE=<lupdate>
#         -DSCRATCH=<folder> -P scripts/check-data.cmake
cmake_minimum_required(VERSION 3.25)

foreach(variable KIST_ROOT KIST_DATA LUPDATE SCRATCH)
    if(NOT ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()
set(failures 0)

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    file(GLOB desktop_files "${KIST_ROOT}/data/*.desktop" "${KIST_DATA}/*.desktop")
    foreach(file IN LISTS desktop_files)
        execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${file} RESULT_VARIABLE status
            OUTPUT_VARIABLE output ERROR_VARIABLE output)
        if(NOT status EQUAL 0 OR output MATCHES "error")
            message(NOTICE "${output}")
            math(EXPR failures "${failures} + 1")
        endif()
    endforeach()
    list(LENGTH desktop_files count)
    message(STATUS "desktop-file-validate: ${count} files")
endif()

find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
    execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --pedantic --no-color
        ${KIST_DATA}/org.kist.Kist.metainfo.xml RESULT_VARIABLE status
        OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(NOTICE "${output}")
        math(EXPR failures "${failures} + 1")
    endif()
    message(STATUS "appstreamcli validate: exit ${status}")
endif()

# lupdate on a copy: a text in the code that the German file lacks comes back unfinished.
file(MAKE_DIRECTORY ${SCRATCH})
file(COPY_FILE ${KIST_ROOT}/translations/kist_de.ts ${SCRATCH}/kist_de.ts)
execute_process(COMMAND ${LUPDATE} -silent -no-obsolete -locations none ${KIST_ROOT}/src
    -ts ${SCRATCH}/kist_de.ts RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
file(STRINGS ${SCRATCH}/kist_de.ts unfinished REGEX "type=\"unfinished\"")
list(LENGTH unfinished count)
if(NOT status EQUAL 0 OR count GREATER 0)
    message(NOTICE "lupdate: exit ${status}, ${count} text(s) without German translation; "
        "build the target kist_lupdate and translate them")
    math(EXPR failures "${failures} + 1")
endif()

if(failures GREATER 0)
    message(FATAL_ERROR "${failures} check(s) failed")
endif()
message(STATUS "data: desktop files, metainfo and translations in step")
