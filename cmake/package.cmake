# The downloads for Windows users: the portable zip and the installer, made from the finished program
# and its files into ${CMAKE_BINARY_DIR}/dist (scripts/package copies them to dist/ at the top).
find_program(HARMOLAB_MAKENSIS makensis REQUIRED)

set(HARMOLAB_PACKAGE_DIR "${CMAKE_BINARY_DIR}/package")
configure_file("${CMAKE_SOURCE_DIR}/resources/package/README.txt.in" "${HARMOLAB_PACKAGE_DIR}/README.txt" @ONLY
               NEWLINE_STYLE CRLF)

# Runs on every build: it copies the files afresh and remakes the packages only when their contents
# changed, so it needs no list of every generated file.
add_custom_target(harmolab_packages ALL
    COMMAND "${CMAKE_COMMAND}"
            -D "BUILD_DIR=${CMAKE_BINARY_DIR}"
            -D "PACKAGE_DIR=${HARMOLAB_PACKAGE_DIR}"
            -D "VERSION=${PROJECT_VERSION}"
            -D "MAKENSIS=${HARMOLAB_MAKENSIS}"
            -D "NSIS_SCRIPT=${CMAKE_SOURCE_DIR}/resources/package/harmolab.nsi"
            -D "ICON=${HARMOLAB_RESOURCE_DIR}/harmolab.ico"
            -P "${CMAKE_SOURCE_DIR}/cmake/make_packages.cmake"
    COMMENT "Portable zip and installer"
    VERBATIM)
add_dependencies(harmolab_packages Harmolab Melodex tuner_images click_sounds harmolab_help)
