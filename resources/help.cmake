# Ships the help page beside the program: resources/help/* is copied to ${CMAKE_BINARY_DIR}/TunerHELP/,
# and the page's pictures (the toolbar strip and the icon) are drawn into the same folder.
if(NOT COMMAND harmolab_host_tool)
    include("${CMAKE_SOURCE_DIR}/cmake/host_tools.cmake")
endif()

set(HARMOLAB_HELP_DIR "${CMAKE_BINARY_DIR}/TunerHELP")
file(GLOB HARMOLAB_HELP_SOURCES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/resources/help/*")

set(HARMOLAB_HELP_OUTPUTS "")
foreach(src ${HARMOLAB_HELP_SOURCES})
    get_filename_component(name "${src}" NAME)
    add_custom_command(
        OUTPUT "${HARMOLAB_HELP_DIR}/${name}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${HARMOLAB_HELP_DIR}"
        COMMAND ${CMAKE_COMMAND} -E copy "${src}" "${HARMOLAB_HELP_DIR}/${name}"
        DEPENDS "${src}"
        COMMENT "Copying help file ${name}"
        VERBATIM)
    list(APPEND HARMOLAB_HELP_OUTPUTS "${HARMOLAB_HELP_DIR}/${name}")
endforeach()

# A build of the art generator of its own, so that this target shares no custom command with the
# program's resources and both can be built in parallel.
harmolab_host_tool(make_help_art tools/make_toolbar_art.cpp)
add_custom_command(
    OUTPUT "${HARMOLAB_HELP_DIR}/toolbar.bmp" "${HARMOLAB_HELP_DIR}/harmolab.ico"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${HARMOLAB_HELP_DIR}"
    COMMAND "${HOST_TOOL_make_help_art}" "${HARMOLAB_HELP_DIR}"
    DEPENDS "${HOST_TOOL_make_help_art}"
    COMMENT "Drawing the help page's pictures"
    VERBATIM)
list(APPEND HARMOLAB_HELP_OUTPUTS "${HARMOLAB_HELP_DIR}/toolbar.bmp" "${HARMOLAB_HELP_DIR}/harmolab.ico")

add_custom_target(harmolab_help ALL DEPENDS ${HARMOLAB_HELP_OUTPUTS})
