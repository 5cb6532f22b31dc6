# Compiles the resource scripts; the toolbar strip and the icon are drawn by our own generator first.
harmolab_host_tool(make_toolbar_art tools/make_toolbar_art.cpp)

set(HARMOLAB_RESOURCE_DIR "${CMAKE_BINARY_DIR}/generated")
set(HARMOLAB_GENERATED_ART "${HARMOLAB_RESOURCE_DIR}/toolbar.bmp" "${HARMOLAB_RESOURCE_DIR}/harmolab.ico")
add_custom_command(
    OUTPUT ${HARMOLAB_GENERATED_ART}
    COMMAND ${CMAKE_COMMAND} -E make_directory "${HARMOLAB_RESOURCE_DIR}"
    COMMAND "${HOST_TOOL_make_toolbar_art}" "${HARMOLAB_RESOURCE_DIR}"
    DEPENDS "${HOST_TOOL_make_toolbar_art}"
    COMMENT "Drawing the toolbar strip and the icon"
    VERBATIM)
# The one producer of the art: the program's resources and the help page wait for it, so that its
# command never runs twice at once in a parallel build.
add_custom_target(toolbar_art DEPENDS ${HARMOLAB_GENERATED_ART})

# The manifest and the version resource take the version from the project version.
set(HARMOLAB_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
configure_file("${CMAKE_SOURCE_DIR}/resources/harmolab.manifest.in" "${HARMOLAB_RESOURCE_DIR}/harmolab.manifest" @ONLY)
configure_file("${CMAKE_SOURCE_DIR}/resources/harmolab_version.h.in" "${HARMOLAB_RESOURCE_DIR}/harmolab_version.h" @ONLY)
set(HARMOLAB_VERSION_FILES "${HARMOLAB_RESOURCE_DIR}/harmolab.manifest" "${HARMOLAB_RESOURCE_DIR}/harmolab_version.h")

# One script includes the others, so the program carries a single resource section.
file(GLOB HARMOLAB_RC_FILES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/resources/*.rc")
set(HARMOLAB_RESOURCE_OBJECTS "${HARMOLAB_RESOURCE_DIR}/harmolab_rc.o")
add_custom_command(
    OUTPUT ${HARMOLAB_RESOURCE_OBJECTS}
    COMMAND "${CMAKE_RC_COMPILER}" -c 65001 -O coff
            -I "${CMAKE_SOURCE_DIR}/resources" -I "${HARMOLAB_RESOURCE_DIR}"
            -i "${CMAKE_SOURCE_DIR}/resources/harmolab.rc" -o ${HARMOLAB_RESOURCE_OBJECTS}
    DEPENDS ${HARMOLAB_RC_FILES} "${CMAKE_SOURCE_DIR}/resources/resource_ids.h" ${HARMOLAB_GENERATED_ART}
            ${HARMOLAB_VERSION_FILES}
    COMMENT "Compiling resources"
    VERBATIM)
