# cmake -P script: stages the shipped files and makes Harmolab-VERSION-win32.zip and
# Harmolab-VERSION-setup.exe in BUILD_DIR/dist when the staged files changed.
set(stage "${PACKAGE_DIR}/stage")
set(dist "${BUILD_DIR}/dist")
set(zip "${dist}/Harmolab-${VERSION}-win32.zip")
set(setup "${dist}/Harmolab-${VERSION}-setup.exe")
set(shipped Harmolab.exe Melodex.dll click_accent.wav click.wav Tunerimg TunerHELP README.txt)

file(REMOVE_RECURSE "${stage}")
file(MAKE_DIRECTORY "${stage}" "${dist}")
file(COPY "${BUILD_DIR}/Harmolab.exe" "${BUILD_DIR}/Melodex.dll" "${BUILD_DIR}/click_accent.wav"
          "${BUILD_DIR}/click.wav" "${BUILD_DIR}/Tunerimg" "${BUILD_DIR}/TunerHELP" "${PACKAGE_DIR}/README.txt"
     DESTINATION "${stage}")

# One digest over every staged name and content, and the packaging inputs.
file(GLOB_RECURSE files RELATIVE "${stage}" "${stage}/*")
list(SORT files)
set(summary "${VERSION}")
foreach(input IN LISTS files)
    file(SHA256 "${stage}/${input}" digest)
    string(APPEND summary "\n${input} ${digest}")
endforeach()
file(SHA256 "${NSIS_SCRIPT}" digest)
string(APPEND summary "\nscript ${digest}")
string(SHA256 summary "${summary}")
set(stamp "${PACKAGE_DIR}/packages.sha256")
if(EXISTS "${stamp}" AND EXISTS "${zip}" AND EXISTS "${setup}")
    file(READ "${stamp}" previous)
    if(previous STREQUAL summary)
        return()
    endif()
endif()

file(REMOVE "${zip}" "${setup}")
# A fixed time stamp: the same files give the same zip.
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${zip}" --format=zip "--mtime=2026-01-01 00:00:00 UTC" ${shipped}
                WORKING_DIRECTORY "${stage}" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "making ${zip} failed")
endif()
execute_process(COMMAND "${MAKENSIS}" -V2 -NOCD "-DVERSION=${VERSION}" "-DSTAGE=${stage}" "-DICON=${ICON}"
                        "-DOUTFILE=${setup}" "${NSIS_SCRIPT}"
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "makensis failed for ${NSIS_SCRIPT}")
endif()
file(WRITE "${stamp}" "${summary}")
message(STATUS "Packages: ${zip}, ${setup}")
