# Ships the help page beside the program: resources/help/* is copied to ${CMAKE_BINARY_DIR}/TunerHELP/,
# and the page's pictures (the toolbar strip and the icon) are drawn into the same folder.
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

# The page shows the program's own toolbar strip and icon.
add_custom_command(
    OUTPUT "${HARMOLAB_HELP_DIR}/toolbar.bmp" "${HARMOLAB_HELP_DIR}/harmolab.ico"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${HARMOLAB_HELP_DIR}"
    COMMAND ${CMAKE_COMMAND} -E copy ${HARMOLAB_GENERATED_ART} "${HARMOLAB_HELP_DIR}"
    DEPENDS toolbar_art ${HARMOLAB_GENERATED_ART}
    COMMENT "Copying the toolbar strip and the icon for the help page"
    VERBATIM)
list(APPEND HARMOLAB_HELP_OUTPUTS "${HARMOLAB_HELP_DIR}/toolbar.bmp" "${HARMOLAB_HELP_DIR}/harmolab.ico")

add_custom_target(harmolab_help ALL DEPENDS ${HARMOLAB_HELP_OUTPUTS})
add_dependencies(harmolab_help toolbar_art)
